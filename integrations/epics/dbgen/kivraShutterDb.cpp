// Writes kivraShutter.db, the IOC's records for one controller, from the
// library's vocabulary: each stored parameter's record types,
// range, unit and value words come from there, so the database cannot drift
// from the header. Record names use the Tango server's attribute words.
//
//     kivra-shutter-db OUTPUT
#include <KivraVocabulary.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace {

// The record name of each parameter, as the Tango server names its attribute.
struct RecordName
{
    KivraParameterId id;
    const char *name;
};

constexpr RecordName kNames[] = {
    {KIVRA_PARAM_STATE, "State"},
    {KIVRA_PARAM_MODE, "Mode"},
    {KIVRA_PARAM_ON_TIME, "OpenTime"},
    {KIVRA_PARAM_OFF_TIME, "CloseTime"},
    {KIVRA_PARAM_CYCLES, "CycleCount"},
    {KIVRA_PARAM_VALVE, "ValveType"},
    {KIVRA_PARAM_INITIAL_STATE, "InitialState"},
    {KIVRA_PARAM_TRIGGER_IN, "TriggerInputEdge"},
    {KIVRA_PARAM_TRIGGER_OUT, "TriggerOutputLevel"},
    {KIVRA_PARAM_IO1, "IO1Function"},
    {KIVRA_PARAM_IO2, "IO2Function"},
    {KIVRA_PARAM_LIGHT, "BacklightBrightness"},
    {KIVRA_PARAM_LIGHT_IDLE, "BacklightSleepBrightness"},
    {KIVRA_PARAM_LIGHT_TIMEOUT, "BacklightSleepTime"},
};

// The state fields of mbbi and mbbo, in order.
const char *const kStateFields[] = {"ZR", "ON", "TW", "TH", "FR", "FV", "SX", "SV",
                                    "EI", "NI", "TE", "EL", "TV", "TT", "FT", "FF"};

const char *recordName(KivraParameterId id)
{
    for (const RecordName &r : kNames) {
        if (r.id == id)
            return r.name;
    }
    return nullptr;
}

// EPICS shows states capitalised: "open" -> "Open", "KD2-40" stays.
std::string stateWord(const char *word)
{
    std::string s(word);
    if (!s.empty())
        s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

bool isState(const KivraParameter &p)
{
    int value = 0;
    return p.words && kivraWordValue(&p, "open", &value) && kivraWordValue(&p, "closed", &value) &&
           !p.words[2].word;
}

class Writer
{
public:
    explicit Writer(std::FILE *out) : out_(out) {}

    void open(const char *type, const std::string &name)
    {
        std::fprintf(out_, "\nrecord(%s, \"$(P)$(R)%s\") {\n", type, name.c_str());
    }
    void field(const char *field, const std::string &value)
    {
        std::fprintf(out_, "    field(%s, \"%s\")\n", field, value.c_str());
    }
    void field(const char *field, int value) { this->field(field, std::to_string(value)); }
    void close() { std::fprintf(out_, "}\n"); }
    void comment(const char *text) { std::fprintf(out_, "\n# %s\n", text); }

    void device(bool output, const char *channel)
    {
        field("DTYP", "Kivra shutter");
        field(output ? "OUT" : "INP", std::string("@$(PORT) ") + channel);
    }

private:
    std::FILE *out_;
};

void writeParameter(Writer &w, const KivraParameter &p)
{
    const std::string name = recordName(p.id);
    const bool state = isState(p);
    const bool words = p.words != nullptr;
    const bool fast = p.id == KIVRA_PARAM_STATE;
    const char *outType = state ? "bo" : words ? "mbbo" : "longout";
    const char *inType = state ? "bi" : words ? "mbbi" : "longin";

    // Range, unit or words: what a setpoint and its readback share.
    auto shared = [&](bool output) {
        w.field("DESC", p.description);
        if (state) {
            int open = 0, closed = 0;
            kivraWordValue(&p, "open", &open);
            kivraWordValue(&p, "closed", &closed);
            w.field("ZNAM", stateWord(kivraValueWord(&p, closed)));
            w.field("ONAM", stateWord(kivraValueWord(&p, open)));
        } else if (words) {
            int i = 0;
            for (const KivraWord *word = p.words; word->word; ++word, ++i) {
                w.field((std::string(kStateFields[i]) + "ST").c_str(), stateWord(word->word));
                w.field((std::string(kStateFields[i]) + "VL").c_str(), word->value);
            }
        } else {
            if (*p.unit)
                w.field("EGU", p.unit);
            if (output) {
                // A value outside the controller's range is clamped, not sent.
                w.field("DRVL", p.min);
                w.field("DRVH", p.max);
            }
            w.field("LOPR", p.min);
            w.field("HOPR", p.max);
        }
    };

    w.open(outType, name);
    w.device(true, p.name);
    shared(true);
    w.close();

    w.open(inType, name + "_RBV");
    w.device(false, p.name);
    w.field("SCAN", fast ? "$(FAST_SCAN=.2 second)" : "$(SCAN=1 second)");
    shared(false);
    w.close();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        if (!recordName(p->id)) {
            std::fprintf(stderr, "%s: no record name for parameter %s\n", argv[0], p->name);
            return 1;
        }
    }
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    Writer w(out);
    std::fprintf(out, "# One Kivra shutter controller. Written by kivra-shutter-db from the\n"
                      "# library's vocabulary (KivraVocabulary.h): do not edit.\n"
                      "#\n"
                      "# Macros: P, R  record name prefix ($(P)$(R)OpenTime)\n"
                      "#         PORT  the port of kivraShutterConfigure(\"PORT\", \"device\")\n"
                      "#         SCAN  readbacks' scan (default 1 second)\n"
                      "#         FAST_SCAN  State_RBV's and Frequency's (default .2 second)\n"
                      "#\n"
                      "# Each parameter is a setpoint and its readback NAME_RBV; after a put\n"
                      "# the readback reads again and shows what the controller holds.\n");
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        writeParameter(w, *p);
    }

    w.comment("What the controller reports.");
    w.open("ai", "Frequency");
    w.field("DESC", "shutter frequency; 0 when idle");
    w.device(false, "frequency");
    w.field("SCAN", "$(FAST_SCAN=.2 second)");
    w.field("EGU", "Hz");
    w.field("PREC", 2);
    w.close();
    const struct
    {
        const char *name, *channel, *description;
    } texts[] = {
        {"DeviceName", "device-name", "the controller's device name"},
        {"SerialNumber", "serial-number", "the controller's serial number"},
        {"FirmwareVersion", "firmware-version", "the controller's firmware version"},
    };
    for (const auto &t : texts) {
        w.open("stringin", t.name);
        w.field("DESC", t.description);
        w.device(false, t.channel);
        w.field("SCAN", "$(SCAN=1 second)");
        w.close();
    }

    w.comment("The port: whether its line answers, and its last result in words.");
    w.open("bi", "Connected");
    w.field("DESC", "the controller answers");
    w.device(false, "connected");
    w.field("SCAN", "I/O Intr");
    w.field("PINI", "YES");
    w.field("ZNAM", "Disconnected");
    w.field("ONAM", "Connected");
    w.field("ZSV", "MAJOR");
    w.close();
    w.open("lsi", "Status");
    w.field("DESC", "the last call's result");
    w.device(false, "status");
    w.field("SCAN", "I/O Intr");
    w.field("PINI", "YES");
    w.field("SIZV", 256);
    w.close();

    return std::fclose(out) == 0 ? 0 : 1;
}
