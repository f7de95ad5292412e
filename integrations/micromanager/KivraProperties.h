// The device's vocabulary as the Micro-Manager adapter shows it: the property
// name of each controller parameter here and the library functions that read
// and write it. Meanings, units, ranges and value words of the parameters, and
// the name and meaning of each library result code, are the library's own
// (KivraVocabulary.h). Pure data; no device access.
#ifndef KIVRA_MM_PROPERTIES_H
#define KIVRA_MM_PROPERTIES_H

#include <KivraVocabulary.h>

#include <string>
#include <vector>

namespace kivramm {

using Getter = int (*)(int handle);
using Setter = int (*)(int handle, int value);

struct Parameter
{
    const char *property; // Micro-Manager property name, e.g. "OpenTime-ms"
    const char *meaning;  // a few words for messages (the vocabulary's description)
    const char *unit;     // "ms", "min", or "" for none
    int min;
    int max;
    const KivraWord *words; // value words; nullptr for numbers
    Getter get;
    Setter set;
};

// Every parameter that becomes a property after initialisation, in the order
// they are created.
const std::vector<Parameter> &parameters();

// The parameter shown as that property, or nullptr.
const Parameter *findParameter(const std::string &property);

// The parameter whose range bounds Fire(deltaT): the open time of one cycle.
const Parameter &openTimeParameter();

// The mode value in which an open runs one timed cycle, and its word.
int singleMode();

// The value as the property shows it: its word, or the number.
std::string formatValue(const Parameter &param, int value);

// The device value of a property text: a value word or a whole number within
// the range. Returns false with a message naming what is accepted otherwise.
bool parseValue(const Parameter &param, const std::string &text, int *value, std::string *error);

// "20 to 100000 ms", "manual, single, auto or trigger".
std::string describeRange(const Parameter &param);

// Shutter state values of the library for Micro-Manager's open flag.
int stateValue(bool open);
bool isOpenState(int value);

// Every failure code the library documents, in the vocabulary's order.
const std::vector<int> &failureCodes();

} // namespace kivramm

#endif
