// The device's vocabulary as the Micro-Manager adapter shows it: the property
// name of each controller parameter and the adapter's words for a value it
// refuses. Each parameter's library functions, meaning, unit, range and value
// words, and the name and meaning of each library result code, are the
// library's own (KivraBindings.h, KivraVocabulary.h). No device access.
#ifndef KIVRA_MM_PROPERTIES_H
#define KIVRA_MM_PROPERTIES_H

#include <KivraBindings.h>

#include <string>
#include <vector>

namespace kivramm {

struct Parameter
{
    const char *property; // Micro-Manager property name, e.g. "OpenTime-ms"
    KivraParameterId id;

    const KivraParameter &row() const { return kivra::binding(id)->parameter(); }
    int get(int handle) const { return kivra::binding(id)->get(handle); }
    int set(int handle, int value) const { return kivra::binding(id)->set(handle, value); }
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
