// Writes the kivra tool's bash completion: the template (its first argument)
// with the vocabulary's parameter names and value words (KivraVocabulary.h)
// put in, to the file named by its second argument. Run by the build, so the
// completion cannot drift from the header.
#include "KivraVocabulary.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string kNamesMark = "@KIVRA_PARAMETER_NAMES@";
const std::string kWordsMark = "@KIVRA_VALUE_WORDS@";

// "state mode on-time ...", in the vocabulary's order.
std::string parameterNames()
{
    std::string names;
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        names += (names.empty() ? "" : " ") + std::string(p->name);
    }
    return names;
}

// One case line per list of value words, naming every parameter that has it:
//         state|initial-state) echo "open closed" ;;
std::string valueWordCases()
{
    std::string cases;
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        bool listed = false;
        for (const KivraParameter *q = kivraParameters; q != p; ++q) {
            listed = listed || q->words == p->words;
        }
        if (!p->words || listed) {
            continue;
        }
        std::string names = p->name;
        for (const KivraParameter *q = p + 1; q->name; ++q) {
            if (q->words == p->words) {
                names += "|" + std::string(q->name);
            }
        }
        std::string words;
        for (const KivraWord *w = p->words; w->word; ++w) {
            words += (words.empty() ? "" : " ") + std::string(w->word);
        }
        cases += (cases.empty() ? "" : "\n") + std::string(8, ' ') + names + ") echo \"" + words +
                 "\" ;;";
    }
    return cases;
}

bool replace(std::string &text, const std::string &mark, const std::string &value)
{
    const size_t at = text.find(mark);
    if (at == std::string::npos) {
        return false;
    }
    text.replace(at, mark.size(), value);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream read;
    read << in.rdbuf();
    std::string text = read.str();
    if (!in || !replace(text, kNamesMark, parameterNames()) ||
        !replace(text, kWordsMark, valueWordCases())) {
        std::fprintf(stderr, "%s: cannot read %s or it lacks %s and %s\n", argv[0], argv[1],
                     kNamesMark.c_str(), kWordsMark.c_str());
        return 1;
    }
    std::ofstream out(argv[2]);
    out << text;
    out.close();
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
