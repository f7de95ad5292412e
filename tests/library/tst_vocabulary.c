/*
 * The vocabulary table as an SDK user reads it: from C99, with every warning
 * an error. Checks what no compiler can: that the rows agree with each other
 * and with the named codes of KivraLibrary.h. Prints each fault; exits 1 on
 * any.
 */
#include "KivraVocabulary.h"

#include <stdio.h>
#include <string.h>

static int failures;

#define EXPECT(condition)                                                                          \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition);                        \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

/* Every result code of KivraLibrary.h by its name there. */
#define RESULT(code)                                                                               \
    {                                                                                              \
        code, #code                                                                                \
    }
static const struct
{
    int code;
    const char *name;
} resultCodes[] = {RESULT(KIVRA_OK),        RESULT(KIVRA_ERR_ARGUMENT), RESULT(KIVRA_ERR_NO_REPLY),
                   RESULT(KIVRA_ERR_START), RESULT(KIVRA_ERR_LENGTH),   RESULT(KIVRA_ERR_REFUSED),
                   RESULT(KIVRA_ERR_CHECK), RESULT(KIVRA_ERR_NO_DATA)};

static void resultsAreNamedAsInTheHeader(void)
{
    size_t i;
    const KivraResult *r;
    int rows = 0;
    for (i = 0; i < sizeof resultCodes / sizeof resultCodes[0]; ++i) {
        EXPECT(strcmp(kivraResultName(resultCodes[i].code), resultCodes[i].name) == 0);
        EXPECT(strcmp(kivraResultText(resultCodes[i].code), "unknown failure") != 0);
    }
    for (r = kivraResults; r->name; ++r)
        ++rows;
    EXPECT(rows == (int)(sizeof resultCodes / sizeof resultCodes[0]));
    /* Any value of 0 or more is success, as a getter's result is. */
    EXPECT(strcmp(kivraResultName(100000), "KIVRA_OK") == 0);
    EXPECT(strcmp(kivraResultName(-7), "unknown") == 0);
    EXPECT(strcmp(kivraResultText(-7), "unknown failure") == 0);
}

static void commandsAreOneEach(void)
{
    const KivraCommand *a;
    const KivraCommand *b;
    for (a = kivraCommands; a->function; ++a) {
        for (b = a + 1; b->function; ++b) {
            EXPECT(a->code != b->code);
            EXPECT(strcmp(a->function, b->function) != 0);
        }
        EXPECT(kivraCommand(a->code) == a);
        EXPECT(kivraCommandNamed(a->function) == a);
        EXPECT(kivraExchange(a->kind) != NULL);
        /* Only the debug exchange sends its caller's code. */
        EXPECT((a->code == KIVRA_CMD_CALLERS_CODE) == (a->kind == KIVRA_EXCHANGE_DEBUG));
    }
    EXPECT(kivraCommand(0x1234) == NULL);
    EXPECT(kivraCommandNamed("openSerial") == NULL);
    EXPECT(kivraCommandNamed(NULL) == NULL);
}

static void parametersAgreeWithTheirCommands(void)
{
    const KivraParameter *p;
    int unused = 0;
    for (p = kivraParameters; p->name; ++p) {
        const KivraCommand *get = kivraCommand(p->getCode);
        const KivraCommand *set = kivraCommand(p->setCode);
        const KivraWord *w;
        int value = 0;
        EXPECT(kivraParameter(p->id) == p);
        EXPECT(kivraParameterNamed(p->name) == p);
        EXPECT(kivraParameterOfCode(p->getCode) == p && kivraParameterOfCode(p->setCode) == p);
        EXPECT(get && get->kind == KIVRA_EXCHANGE_GET);
        EXPECT(set && set->kind == KIVRA_EXCHANGE_SET);
        EXPECT(get && set && get->fullBuildOnly == set->fullBuildOnly);
        EXPECT(p->min <= p->max);
        /* Coded values: a word for each, from min to max. */
        for (w = p->words; w && w->word; ++w) {
            EXPECT(w->value == p->min + (int)(w - p->words));
            EXPECT(kivraWordValue(p, w->word, &value) && value == w->value);
            EXPECT(kivraValueWord(p, w->value) == w->word);
        }
        EXPECT(!p->words || w[-1].value == p->max);
    }
    EXPECT(kivraParameterNamed("frequency") == NULL);
    EXPECT(kivraValueWord(kivraParameter(KIVRA_PARAM_ON_TIME), 20) == NULL);
    EXPECT(!kivraWordValue(kivraParameter(KIVRA_PARAM_MODE), "automatic", &unused));
}

int main(void)
{
    resultsAreNamedAsInTheHeader();
    commandsAreOneEach();
    parametersAgreeWithTheirCommands();
    if (failures == 0)
        printf("vocabulary: all rows agree\n");
    return failures == 0 ? 0 : 1;
}
