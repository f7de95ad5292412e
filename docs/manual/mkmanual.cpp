// Renders a Markdown document into a paginated PDF with Qt's own text engine:
// the given font embedded (it carries the Chinese glyphs), images scaled to
// the text width, each top-level chapter on a new page, page numbers at the
// foot. Keeps the documentation build free of any typesetting system.
//
//   kivra-mkmanual <input.md> <output.pdf> <font.ttf> <image dir> <title>
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextStream>
#include <QTextTable>

namespace {

constexpr int kResolutionDpi = 300;
constexpr qreal kBodyPointSize = 10.5;
// Text width of an A4 page inside the 2 cm margins that QTextDocument::print
// keeps, in the 96-dpi pixels image sizes are given in.
constexpr qreal kTextWidthPx = (21.0 - 2 * 2.0) / 2.54 * 96;
// Screenshots are drawn at twice the window's size; show them at their
// natural size where they fit.
constexpr qreal kImageScale = 0.5;
constexpr qreal kTableCellPadding = 4;
constexpr qreal kTablePointSize = 9;
// The margin QTextDocument::print keeps around the text.
constexpr qreal kPrintMarginCm = 2.0;
constexpr qreal kCmPerInch = 2.54;
const QColor kHeadingColor(23, 80, 160);
const QColor kRuleColor(170, 170, 170);
const QColor kCodeBackground(238, 238, 238);
const char kMonospaceFamily[] = "DejaVu Sans Mono";

struct Options
{
    QString input;
    QString output;
    QString font;
    QString imageDir;
    QString title;
};

// Loads every image the text refers to from imageDir and sizes it; false
// when one is missing, so a broken reference fails the build.
bool placeImages(QTextDocument &doc, const QString &imageDir, QTextStream &err)
{
    bool ok = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString path = imageDir + '/' + format.name();
            const QImage image(path);
            if (image.isNull()) {
                err << "missing image " << path << "\n";
                ok = false;
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const qreal width = qMin(image.width() * kImageScale, kTextWidthPx);
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return ok;
}

// Chapters start on a fresh page and headings get the manual's colour.
void styleHeadings(QTextDocument &doc)
{
    bool firstChapter = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0)
            continue;
        QTextCursor cursor(block);
        QTextBlockFormat blockFormat = block.blockFormat();
        if (level == 1) {
            if (!firstChapter)
                blockFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            firstChapter = false;
        }
        blockFormat.setTopMargin(level <= 2 ? 14 : 8);
        blockFormat.setBottomMargin(6);
        cursor.setBlockFormat(blockFormat);
        cursor.select(QTextCursor::BlockUnderCursor);
        QTextCharFormat charFormat;
        charFormat.setForeground(kHeadingColor);
        cursor.mergeCharFormat(charFormat);
    }
}

// Code in a monospaced face where one is installed, with the body font for
// the glyphs it lacks; code blocks on a grey ground.
void styleCode(QTextDocument &doc, const QString &bodyFamily)
{
    // The Markdown reader marks code with the system's fixed font.
    const QString systemMono = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    const QString mono = QFontDatabase().hasFamily(kMonospaceFamily)
                             ? QString::fromLatin1(kMonospaceFamily)
                             : systemMono;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const bool codeBlock = block.blockFormat().hasProperty(QTextFormat::BlockCodeFence) ||
                               block.blockFormat().nonBreakableLines();
        if (codeBlock) {
            QTextBlockFormat format = block.blockFormat();
            format.setBackground(kCodeBackground);
            QTextCursor(block).setBlockFormat(format);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat current = fragment.charFormat();
            const bool code = current.fontFixedPitch() || current.fontFamily() == systemMono ||
                              current.fontFamilies().toStringList().contains(systemMono);
            if (!codeBlock && !code)
                continue;
            QTextCharFormat format;
            format.setFontFamilies({mono, bodyFamily});
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    }
}

// Markdown tables come without rules; give them thin collapsed borders.
void styleTables(QTextFrame *frame)
{
    for (QTextFrame *child : frame->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(0.5);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(kRuleColor);
            format.setCellSpacing(0);
            format.setCellPadding(kTableCellPadding);
            format.setHeaderRowCount(1); // repeated on each page the table spans
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
            QTextCursor cells = table->firstCursorPosition();
            cells.setPosition(table->lastPosition(), QTextCursor::KeepAnchor);
            QTextCharFormat small;
            small.setFontPointSize(kTablePointSize);
            cells.mergeCharFormat(small);
        }
        styleTables(child);
    }
}

// QTextDocument knows no "keep with next": lay the text out on the printer's
// pages as print() will and move every heading that would end a page, apart
// from what it heads, onto the next page.
void keepHeadingsWithNext(QTextDocument &doc, QPagedPaintDevice &device)
{
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    layout->setPaintDevice(&device);
    QTextFrameFormat root = doc.rootFrame()->frameFormat();
    root.setMargin(kPrintMarginCm / kCmPerInch * device.logicalDpiY());
    doc.rootFrame()->setFrameFormat(root);
    const qreal pageHeight = device.height();
    doc.setPageSize(QSizeF(device.width(), pageHeight));
    bool moved = true;
    while (moved) {
        moved = false;
        layout->documentSize(); // finishes the layout, which is otherwise lazy
        for (QTextBlock block = doc.begin(); block.isValid() && block.next().isValid();
             block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            if (format.headingLevel() == 0 ||
                format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
                continue;
            const int headingPage = int(layout->blockBoundingRect(block).top() / pageHeight);
            // The next block's first line (or picture) must share the page.
            const QTextBlock next = block.next();
            qreal nextBottom = layout->blockBoundingRect(next).top();
            if (next.layout() && next.layout()->lineCount() > 0)
                nextBottom += next.layout()->lineAt(0).height();
            const int nextPage = int(nextBottom / pageHeight);
            if (headingPage == nextPage)
                continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            moved = true; // the layout below has changed: look again
            break;
        }
    }
    // Unpaginated again, so that print() lays it out the same way and
    // numbers the pages.
    doc.setPageSize(QSizeF());
}

int render(const Options &options, QTextStream &err)
{
    const QStringList families =
        QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(options.font));
    if (families.isEmpty()) {
        err << "cannot load font " << options.font << "\n";
        return 1;
    }
    QFile input(options.input);
    if (!input.open(QIODevice::ReadOnly)) {
        err << "cannot read " << options.input << "\n";
        return 1;
    }
    QTextDocument doc;
    QFont font(families.first());
    font.setPointSizeF(kBodyPointSize);
    doc.setDefaultFont(font);
    doc.setMarkdown(QString::fromUtf8(input.readAll()), QTextDocument::MarkdownDialectGitHub);
    doc.setMetaInformation(QTextDocument::DocumentTitle, options.title);
    if (!placeImages(doc, options.imageDir, err))
        return 1;
    styleHeadings(doc);
    styleTables(doc.rootFrame());
    styleCode(doc, families.first());

    QPdfWriter writer(options.output);
    writer.setResolution(kResolutionDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(options.title);
    writer.setCreator(QStringLiteral("kivra-mkmanual"));
    keepHeadingsWithNext(doc, writer);
    doc.print(&writer);
    if (!QFileInfo(options.output).size()) {
        err << "nothing written to " << options.output << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        err << "usage: kivra-mkmanual <input.md> <output.pdf> <font.ttf> <image dir> <title>\n";
        return 2;
    }
    return render({args.at(1), args.at(2), args.at(3), args.at(4), args.at(5)}, err);
}
