// The binding table against the vocabulary: each parameter's functions are
// the exported ones whose codes the vocabulary gives, found by the loader's
// own symbol lookup, and values go to text and back.
#include <KivraBindings.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <set>
#include <string>

namespace {

std::string symbolOf(const void *function)
{
    Dl_info info{};
    return dladdr(function, &info) && info.dli_sname ? info.dli_sname : "";
}

TEST(Bindings, EveryParameterOnceWithTheFunctionsOfItsCodes)
{
    std::set<KivraParameterId> seen;
    for (const kivra::Binding &b : kivra::kBindings) {
        EXPECT_TRUE(seen.insert(b.id).second) << b.parameter().name;
        // The kivra tool's info lists them in this order.
        EXPECT_EQ(&b.parameter(), &kivraParameters[&b - kivra::kBindings]);
        const KivraParameter &p = b.parameter();
        EXPECT_EQ(symbolOf(reinterpret_cast<const void *>(b.get)), kivraCommand(p.getCode)->function);
        EXPECT_EQ(symbolOf(reinterpret_cast<const void *>(b.set)), kivraCommand(p.setCode)->function);
        EXPECT_EQ(kivra::bindingNamed(p.name), &b);
        EXPECT_EQ(kivra::binding(b.id), &b);
    }
    int rows = 0;
    for (const KivraParameter *p = kivraParameters; p->name; ++p)
        ++rows;
    EXPECT_EQ(static_cast<int>(seen.size()), rows);
    EXPECT_EQ(kivra::bindingNamed("no-such"), nullptr);
}

TEST(Bindings, ParseAndFormat)
{
    const KivraParameter &onTime = kivra::binding(KIVRA_PARAM_ON_TIME)->parameter();
    const KivraParameter &mode = kivra::binding(KIVRA_PARAM_MODE)->parameter();
    int v = -1;
    EXPECT_EQ(kivra::parseValue(onTime, "250", &v), kivra::Parse::Ok);
    EXPECT_EQ(v, 250);
    EXPECT_EQ(kivra::parseValue(onTime, "100000", &v), kivra::Parse::Ok);
    v = -1;
    for (const char *bad : {"", "25x", "2.5", "open", "99999999999999999999"})
        EXPECT_EQ(kivra::parseValue(onTime, bad, &v), kivra::Parse::NotAValue) << bad;
    EXPECT_EQ(kivra::parseValue(onTime, std::string_view("25\0" "0", 4), &v),
              kivra::Parse::NotAValue);
    for (const char *out : {"19", "100001", "-1"})
        EXPECT_EQ(kivra::parseValue(onTime, out, &v), kivra::Parse::OutOfRange) << out;
    EXPECT_EQ(v, -1);

    EXPECT_EQ(kivra::parseValue(mode, "auto", &v), kivra::Parse::Ok);
    EXPECT_EQ(v, KIVRA_MODE_AUTO);
    EXPECT_EQ(kivra::parseValue(mode, "4", &v), kivra::Parse::Ok);
    EXPECT_EQ(v, KIVRA_MODE_TRIGGER);
    EXPECT_EQ(kivra::parseValue(mode, "4", &v, kivra::Numbers::WordsOnly),
              kivra::Parse::NotAValue);
    EXPECT_EQ(kivra::parseValue(mode, "5", &v), kivra::Parse::OutOfRange);

    EXPECT_EQ(kivra::formatValue(mode, KIVRA_MODE_SINGLE), "single");
    EXPECT_EQ(kivra::formatValue(mode, 9), "9");
    EXPECT_EQ(kivra::formatWithUnit(onTime, 250), "250 ms");
    EXPECT_EQ(kivra::joinWords(mode, ", ", " or "), "manual, single, auto or trigger");
    EXPECT_EQ(kivra::joinWords(onTime, "|", "|"), "");
    EXPECT_EQ(kivra::describeNumbers(onTime), "20 to 100000 ms");
}

} // namespace
