// The device's vocabulary as the Micro-Manager adapter shows it: one row per
// controller parameter (property name, range, unit, value words, library
// functions) and the name and meaning of each library result code. Taken from
// the public header's documented values; this file and KivraProperties.cpp
// are the one place to switch when the library's own vocabulary table exists.
// Pure data; no device access.
#ifndef KIVRA_MM_PROPERTIES_H
#define KIVRA_MM_PROPERTIES_H

#include <string>
#include <vector>

namespace kivramm {

using Getter = int (*)(int handle);
using Setter = int (*)(int handle, int value);

struct Parameter
{
    const char *property; // Micro-Manager property name, e.g. "OpenTime-ms"
    const char *meaning;  // a few words for messages
    const char *unit;     // "ms", "min", "%", or "" for none
    int min;
    int max;
    std::vector<const char *> words; // value words for 1, 2, ...; empty for numbers
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

// The library's name for a result code ("KIVRA_ERR_NO_REPLY") and its meaning
// in words; an unknown negative code gets "KIVRA_ERR_UNKNOWN".
const char *resultName(int code);
const char *resultText(int code);

// Every failure code the library documents, in the header's order.
const std::vector<int> &failureCodes();

} // namespace kivramm

#endif
