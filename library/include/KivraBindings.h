/*
 * KivraBindings: each stored parameter of the vocabulary bound to the
 * exported functions that read and write it, and its values turned into text
 * and back. Every client that offers the parameters by name (the kivra tool,
 * the Micro-Manager adapter, the EPICS device support, the settings dialog's
 * pages) looks them up here and adds only its own presentation.
 *
 *     const kivra::Binding *b = kivra::bindingNamed("on-time");
 *     int value;
 *     if (kivra::parseValue(b->parameter(), "250", &value) == kivra::Parse::Ok)
 *         b->set(handle, value);
 *     std::string text = kivra::formatValue(b->parameter(), b->get(handle));
 *
 * C++17, header only, nothing exported. The table takes the address of every
 * parameter's functions, IO1 and IO2 included, so a program that uses it
 * links the full build.
 */
#ifndef KIVRA_BINDINGS_H
#define KIVRA_BINDINGS_H

#include "KivraLibrary.h"
#include "KivraVocabulary.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace kivra {

using Getter = int (*)(int handle);
using Setter = int (*)(int handle, int value);

struct Binding
{
    KivraParameterId id;
    Getter get; // the value (0 or more) or a negative result
    Setter set; // 0 or a negative result

    // The parameter's row of the vocabulary: name, unit, range, words.
    const KivraParameter &parameter() const { return *kivraParameter(id); }
};

// Every stored parameter, in the vocabulary's order.
inline constexpr Binding kBindings[] = {
    {KIVRA_PARAM_STATE, getShutterState, setShutterState},
    {KIVRA_PARAM_MODE, getShutterMode, setShutterMode},
    {KIVRA_PARAM_ON_TIME, getShutterOnTime, setShutterOnTime},
    {KIVRA_PARAM_OFF_TIME, getShutterOffTime, setShutterOffTime},
    {KIVRA_PARAM_CYCLES, getShutterCycleCount, setShutterCycleCount},
    {KIVRA_PARAM_VALVE, getValveType, setValveType},
    {KIVRA_PARAM_INITIAL_STATE, getInitialState, setInitialState},
    {KIVRA_PARAM_TRIGGER_IN, getShutterTriggerInMode, setShutterTriggerInMode},
    {KIVRA_PARAM_TRIGGER_OUT, getShutterTriggerOutMode, setShutterTriggerOutMode},
    {KIVRA_PARAM_IO1, getIO1TriggerMode, setIO1TriggerMode},
    {KIVRA_PARAM_IO2, getIO2TriggerMode, setIO2TriggerMode},
    {KIVRA_PARAM_LIGHT, getLightLevel, setLightLevel},
    {KIVRA_PARAM_LIGHT_IDLE, getLightIdleLevel, setLightIdleLevel},
    {KIVRA_PARAM_LIGHT_TIMEOUT, getLightTimeOut, setLightTimeOut},
};

// The functions of a parameter; never null for a KivraParameterId.
inline const Binding *binding(KivraParameterId id)
{
    for (const Binding &b : kBindings) {
        if (b.id == id)
            return &b;
    }
    return nullptr;
}

// The parameter of that vocabulary name ("on-time"), or null.
inline const Binding *bindingNamed(std::string_view name)
{
    for (const Binding &b : kBindings) {
        if (name == b.parameter().name)
            return &b;
    }
    return nullptr;
}

enum class Parse
{
    Ok,
    NotAValue,  // neither a word of the parameter nor a whole number
    OutOfRange, // a whole number outside min..max
};

enum class Numbers
{
    Accepted, // a parameter with words also takes its values as numbers
    WordsOnly // a parameter with words takes only its words
};

// The device value of a text: one of the parameter's words, or a decimal
// whole number within its range. *value is set only on Parse::Ok.
inline Parse parseValue(const KivraParameter &p, std::string_view text, int *value,
                        Numbers numbers = Numbers::Accepted)
{
    const std::string s(text);
    if (kivraWordValue(&p, s.c_str(), value))
        return Parse::Ok;
    if (p.words && numbers == Numbers::WordsOnly)
        return Parse::NotAValue;
    if (s.empty() || s.size() != std::strlen(s.c_str()))
        return Parse::NotAValue;
    char *end = nullptr;
    errno = 0;
    // A long has 32 bits on Windows: there a number beyond it would read as no
    // value at all rather than as out of range.
    const long long number = std::strtoll(s.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE)
        return Parse::NotAValue;
    if (number < p.min || number > p.max)
        return Parse::OutOfRange;
    *value = static_cast<int>(number);
    return Parse::Ok;
}

// A value as text: its word when it has one, else the number.
inline std::string formatValue(const KivraParameter &p, int value)
{
    const char *word = kivraValueWord(&p, value);
    return word ? std::string(word) : std::to_string(value);
}

// A value with its unit when it has one: "250 ms", "open", "40".
inline std::string formatWithUnit(const KivraParameter &p, int value)
{
    const std::string text = formatValue(p, value);
    return p.words || !*p.unit ? text : text + " " + p.unit;
}

// The parameter's words joined, with `last` before the final one:
// ("|", "|") gives "manual|single|auto|trigger", (", ", " or ") gives
// "manual, single, auto or trigger". Empty for a parameter without words.
inline std::string joinWords(const KivraParameter &p, const char *separator, const char *last)
{
    std::string words;
    for (const KivraWord *w = p.words; w && w->word; ++w) {
        if (w != p.words)
            words += (w + 1)->word ? separator : last;
        words += w->word;
    }
    return words;
}

// The numeric range with its unit: "20 to 100000 ms", "1 to 4".
inline std::string describeNumbers(const KivraParameter &p)
{
    const std::string range = std::to_string(p.min) + " to " + std::to_string(p.max);
    return *p.unit ? range + " " + p.unit : range;
}

} // namespace kivra

#endif /* KIVRA_BINDINGS_H */
