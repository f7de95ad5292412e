// Writes kivra/_vocabulary.py, the Python package's copy of the library's
// vocabulary (KivraVocabulary.h), to the file named by its argument. Run by
// the build, so the package cannot drift from the header.
#include "KivraPortList.h"
#include "KivraVocabulary.h"

#include <cstdio>
#include <string>

namespace {

// The package's enumerations and the value words they are made of.
struct Enumeration
{
    const char *name;
    const KivraWord *words;
};

constexpr Enumeration kEnumerations[] = {
    {"State", kivraStateWords}, {"Mode", kivraModeWords},   {"Valve", kivraValveWords},
    {"Edge", kivraEdgeWords},   {"Level", kivraLevelWords}, {"IOMode", kivraIoWords},
};

std::string quoted(const char *text)
{
    std::string out = "\"";
    for (const char *c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') {
            out += '\\';
        }
        out += *c;
    }
    return out + "\"";
}

// "KD08-40" -> KD08_40, "manual" -> MANUAL.
std::string memberName(const char *word)
{
    std::string out;
    for (const char *c = word; *c; ++c) {
        out += *c == '-' ? '_' : static_cast<char>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c);
    }
    return out;
}

std::string codeText(int code)
{
    char text[16];
    std::snprintf(text, sizeof text, code < 0 ? "%d" : "0x%02X", code);
    return text;
}

std::string functionOf(int code)
{
    const KivraCommand *command = kivraCommand(code);
    return quoted(command ? command->function : "");
}

void writeCommands(std::FILE *out)
{
    std::fprintf(out, "\n\nclass Command(NamedTuple):\n"
                      "    code: int  # KIVRA_CMD_CALLERS_CODE (-1): the caller's\n"
                      "    kind: str\n    wanted: int  # reply bytes collected\n"
                      "    attempts: int  # 1 ms read attempts: the budget in ms\n"
                      "    full_build_only: bool\n\n\n");
    std::fprintf(out, "KIVRA_CMD_CALLERS_CODE = %d\n\n", KIVRA_CMD_CALLERS_CODE);
    std::fprintf(out, "# Every device function of the library, by name.\nCOMMANDS = {\n");
    for (const KivraCommand *c = kivraCommands; c->function; ++c) {
        const KivraExchange *e = kivraExchange(c->kind);
        std::fprintf(out, "    %s: Command(%s, %s, %d, %d, %s),\n", quoted(c->function).c_str(),
                     codeText(c->code).c_str(), quoted(e->name).c_str(), e->wanted, e->attempts,
                     c->fullBuildOnly ? "True" : "False");
    }
    std::fprintf(out, "}\n");
}

void writeParameters(std::FILE *out)
{
    std::fprintf(out, "\n\nclass Parameter(NamedTuple):\n"
                      "    description: str\n    unit: str\n    min: int\n    max: int\n"
                      "    getter: str\n    setter: str\n"
                      "    words: dict[str, int]  # empty for plain numbers\n\n\n");
    std::fprintf(out, "# Every stored parameter, by the kivra tool's name for it.\n"
                      "PARAMETERS = {\n");
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        std::string words;
        for (const KivraWord *w = p->words; w && w->word; ++w) {
            words +=
                (words.empty() ? "" : ", ") + quoted(w->word) + ": " + std::to_string(w->value);
        }
        std::fprintf(out, "    %s: Parameter(%s, %s, %d, %d, %s, %s, {%s}),\n",
                     quoted(p->name).c_str(), quoted(p->description).c_str(),
                     quoted(p->unit).c_str(), p->min, p->max, functionOf(p->getCode).c_str(),
                     functionOf(p->setCode).c_str(), words.c_str());
    }
    std::fprintf(out, "}\n");
}

void writeResults(std::FILE *out)
{
    std::fprintf(out, "\n");
    for (const KivraResult *r = kivraResults; r->name; ++r) {
        std::fprintf(out, "%s = %d\n", r->name, r->code);
    }
    std::fprintf(out, "\n# Each result code's name and text.\nRESULTS = {\n");
    for (const KivraResult *r = kivraResults; r->name; ++r) {
        std::fprintf(out, "    %s: (%s, %s),\n", r->name, quoted(r->name).c_str(),
                     quoted(r->text).c_str());
    }
    std::fprintf(out, "}\n");
    // The words for a code the library does not return.
    constexpr int kUnknown = -1000;
    std::fprintf(out, "UNKNOWN_RESULT = (%s, %s)\n", quoted(kivraResultName(kUnknown)).c_str(),
                 quoted(kivraResultText(kUnknown)).c_str());
}

void writeEnumerations(std::FILE *out)
{
    for (const Enumeration &e : kEnumerations) {
        std::fprintf(out, "\n\nclass %s(IntEnum):\n", e.name);
        for (const KivraWord *w = e.words; w->word; ++w) {
            std::fprintf(out, "    %s = %d\n", memberName(w->word).c_str(), w->value);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.py\n", argv[0]);
        return 2;
    }
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "\"\"\"The controller's vocabulary: commands, parameters, result codes.\n\n"
                      "Written by the build from KivraVocabulary.h; edit that header instead.\n"
                      "\"\"\"\n\nfrom __future__ import annotations\n\n"
                      "from enum import IntEnum\nfrom typing import NamedTuple\n");
    std::fprintf(out, "\nKIVRA_TEXT_FIELD_SIZE = %d\n", KIVRA_TEXT_FIELD_SIZE);
    std::fprintf(out, "KIVRA_DEBUG_DATA_MAX = %d\n", KIVRA_DEBUG_DATA_MAX);
    std::fprintf(out, "PORT_LIST_BYTES = %d  # the listPorts() buffer of the tools\n",
                 kivra::kPortListBytes);
    writeCommands(out);
    writeParameters(out);
    writeResults(out);
    writeEnumerations(out);
    return std::fclose(out) == 0 ? 0 : 1;
}
