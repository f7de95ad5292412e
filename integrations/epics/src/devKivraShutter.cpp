// Device support "Kivra shutter": records over the exported functions,
// asynchronous. The first pass of a record queues its call on the port's
// worker thread and leaves the record active (PACT); when the call is done
// the worker has the record processed again, and the second pass takes the
// result. A failed call leaves the value as it was and puts the record in
// COMM alarm, INVALID. Output records start from what the controller holds.
#include "kivraChannel.h"
#include "kivraPort.h"

#include <KivraLibrary.h>

#include <alarm.h>
#include <callback.h>
#include <dbAccess.h>
#include <dbLock.h>
#include <dbScan.h>
#include <devSup.h>
#include <errlog.h>
#include <recGbl.h>

#include <aiRecord.h>
#include <biRecord.h>
#include <boRecord.h>
#include <longinRecord.h>
#include <longoutRecord.h>
#include <lsiRecord.h>
#include <mbbiRecord.h>
#include <mbboRecord.h>
#include <stringinRecord.h>

#include <epicsExport.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>

namespace {

using kivraioc::Channel;
using kivraioc::ChannelKind;

// Returns on init_record and on the read/write routines for what base
// calls "do not convert" (bi, bo, ai).
constexpr long kNoConvert = 2;

struct Dpvt
{
    Channel channel;
    std::string what; // the call in the status text: "get on-time"
    int result = 0;   // of the last call: 0 or more, or a KIVRA_ERR_*
    bool writes = false;
    double number = 0; // the frequency read
    char text[KIVRA_TEXT_FIELD_SIZE + 1] = {};
    epicsCallback done;
};

Dpvt *dpvtOf(dbCommon *rec)
{
    return static_cast<Dpvt *>(rec->dpvt);
}

// Binds a record to its channel; a record whose link does not name one is
// left active, so it never processes.
long attach(dbCommon *rec, bool writes, std::initializer_list<ChannelKind> kinds)
{
    const DBLINK *link = dbGetDevLink(rec);
    std::string error;
    auto d = std::make_unique<Dpvt>();
    bool ok = link && link->type == INST_IO &&
              kivraioc::parseChannel(link->value.instio.string, &d->channel, &error);
    if (ok && std::find(kinds.begin(), kinds.end(), d->channel.kind) == kinds.end()) {
        error = "this record type cannot show " + d->channel.name;
        ok = false;
    }
    if (!ok) {
        errlogPrintf("%s: %s\n", rec->name,
                     error.empty() ? "needs an INST_IO link" : error.c_str());
        rec->pact = TRUE;
        return S_db_badField;
    }
    d->what = (writes ? "set " : "get ") + d->channel.name;
    d->writes = writes;
    if (!writes && d->channel.kind == ChannelKind::Parameter) {
        d->channel.port->addReader(d->channel.name, rec);
    }
    rec->dpvt = d.release();
    return 0;
}

// bo and bi show a state parameter: 1 "Open", 0 "Closed".
bool isOpenWord(const KivraParameter &p, int value)
{
    const char *word = kivraValueWord(&p, value);
    return word && std::strcmp(word, "open") == 0;
}

int stateValue(const KivraParameter &p, bool open)
{
    int value = 0;
    kivraWordValue(&p, open ? "open" : "closed", &value);
    return value;
}

long attachState(dbCommon *rec, bool writes)
{
    // A bi may also show the port's connection; a bo only a state.
    long status = writes ? attach(rec, true, {ChannelKind::Parameter})
                         : attach(rec, false, {ChannelKind::Parameter, ChannelKind::Connected});
    const Dpvt *d = dpvtOf(rec);
    if (status == 0 && d->channel.kind == ChannelKind::Parameter &&
        !stateValue(d->channel.binding->parameter(), true)) {
        errlogPrintf("%s: %s is no open/closed state\n", rec->name, d->channel.name.c_str());
        rec->pact = TRUE;
        status = S_db_badField;
    }
    return status;
}

// After a set, the parameter's readbacks read it again, whatever their
// scan: one that is reading now (its read went ahead of the set) reads once
// more when it is done.
void readAgain(const Dpvt &d)
{
    for (dbCommon *reader : d.channel.port->readers(d.channel.name)) {
        dbScanLock(reader);
        if (reader->pact) {
            reader->rpro = TRUE;
        } else {
            scanOnce(reader);
        }
        dbScanUnlock(reader);
    }
}

// First pass: queues the call and returns false with the record active.
// Second pass (the worker's completion): true, with the result in the dpvt.
bool completed(dbCommon *rec, std::function<int(Dpvt &d, int handle)> call)
{
    Dpvt *d = dpvtOf(rec);
    if (rec->pact) {
        if (d->result < 0) {
            recGblSetSevr(rec, COMM_ALARM, INVALID_ALARM);
        }
        return true;
    }
    rec->pact = TRUE;
    d->channel.port->submit([rec, d, call = std::move(call)] {
        d->result = d->channel.port->call(d->what, [&](int handle) { return call(*d, handle); });
        if (d->writes && d->result >= 0) {
            readAgain(*d);
        }
        callbackRequestProcessCallback(&d->done, priorityMedium, rec);
    });
    return false;
}

// An output record's value as the controller holds it at start; false when
// it could not be read.
bool initialValue(dbCommon *rec, int *value)
{
    Dpvt *d = dpvtOf(rec);
    const kivra::Binding *b = d->channel.binding;
    int result = 0;
    d->channel.port->runAndWait(
        [&] { result = d->channel.port->call("get " + d->channel.name, b->get); });
    *value = result;
    return result >= 0;
}

int readParameter(Dpvt &d, int handle)
{
    return d.channel.binding->get(handle);
}

long getIoIntInfo(int, dbCommon *rec, IOSCANPVT *scan)
{
    if (const Dpvt *d = dpvtOf(rec)) {
        *scan = d->channel.port->changes();
    }
    return 0;
}

// --- bi: a state parameter, or the port's connection --------------------------

long initBi(dbCommon *rec)
{
    return attachState(rec, false);
}

long readBi(biRecord *rec)
{
    Dpvt *d = dpvtOf(reinterpret_cast<dbCommon *>(rec));
    if (d->channel.kind == ChannelKind::Connected) {
        rec->val = d->channel.port->connected() ? 1 : 0;
        rec->udf = FALSE;
        return kNoConvert;
    }
    if (completed(reinterpret_cast<dbCommon *>(rec), readParameter) && d->result >= 0) {
        rec->val = isOpenWord(d->channel.binding->parameter(), d->result) ? 1 : 0;
        rec->udf = FALSE;
    }
    return kNoConvert;
}

// --- bo: a state parameter -----------------------------------------------------

long initBo(dbCommon *rec)
{
    long status = attachState(rec, true);
    int value = 0;
    auto *bo = reinterpret_cast<boRecord *>(rec);
    if (status == 0 && initialValue(rec, &value)) {
        bo->val = isOpenWord(dpvtOf(rec)->channel.binding->parameter(), value) ? 1 : 0;
        bo->udf = FALSE;
    }
    return status == 0 ? kNoConvert : status;
}

long writeBo(boRecord *rec)
{
    completed(reinterpret_cast<dbCommon *>(rec), [value = rec->val != 0](Dpvt &d, int handle) {
        return d.channel.binding->set(handle, stateValue(d.channel.binding->parameter(), value));
    });
    return 0;
}

// --- mbbi, mbbo: a parameter with words; the states' values are its codes ------

long initMbbi(dbCommon *rec)
{
    return attach(rec, false, {ChannelKind::Parameter});
}

long readMbbi(mbbiRecord *rec)
{
    auto *common = reinterpret_cast<dbCommon *>(rec);
    if (completed(common, readParameter) && dpvtOf(common)->result >= 0) {
        rec->rval = static_cast<epicsUInt32>(dpvtOf(common)->result);
    }
    return 0;
}

long initMbbo(dbCommon *rec)
{
    long status = attach(rec, true, {ChannelKind::Parameter});
    int value = 0;
    if (status == 0 && initialValue(rec, &value)) {
        reinterpret_cast<mbboRecord *>(rec)->rval = static_cast<epicsUInt32>(value);
        return 0; // base turns the raw value into the state
    }
    return status == 0 ? kNoConvert : status;
}

long writeMbbo(mbboRecord *rec)
{
    completed(reinterpret_cast<dbCommon *>(rec),
              [value = static_cast<int>(rec->rval)](Dpvt &d, int handle) {
                  return d.channel.binding->set(handle, value);
              });
    return 0;
}

// --- longin, longout: a parameter's number -------------------------------------

long initLongin(dbCommon *rec)
{
    return attach(rec, false, {ChannelKind::Parameter});
}

long readLongin(longinRecord *rec)
{
    auto *common = reinterpret_cast<dbCommon *>(rec);
    if (completed(common, readParameter) && dpvtOf(common)->result >= 0) {
        rec->val = dpvtOf(common)->result;
        rec->udf = FALSE;
    }
    return 0;
}

long initLongout(dbCommon *rec)
{
    long status = attach(rec, true, {ChannelKind::Parameter});
    int value = 0;
    if (status == 0 && initialValue(rec, &value)) {
        reinterpret_cast<longoutRecord *>(rec)->val = value;
        rec->udf = FALSE;
    }
    return status;
}

long writeLongout(longoutRecord *rec)
{
    completed(reinterpret_cast<dbCommon *>(rec),
              [value = static_cast<int>(rec->val)](Dpvt &d, int handle) {
                  return d.channel.binding->set(handle, value);
              });
    return 0;
}

// --- ai: the frequency ----------------------------------------------------------

long initAi(dbCommon *rec)
{
    return attach(rec, false, {ChannelKind::Frequency});
}

long readAi(aiRecord *rec)
{
    auto *common = reinterpret_cast<dbCommon *>(rec);
    const bool done = completed(common, [](Dpvt &d, int handle) {
        const float hz = getFrequency(handle);
        d.number = hz;
        return hz < 0 ? static_cast<int>(hz) : KIVRA_OK;
    });
    if (done && dpvtOf(common)->result >= 0) {
        rec->val = dpvtOf(common)->number;
        rec->udf = FALSE;
    }
    return kNoConvert;
}

// --- stringin: a text field ------------------------------------------------------

long initStringin(dbCommon *rec)
{
    return attach(rec, false, {ChannelKind::Text});
}

long readStringin(stringinRecord *rec)
{
    auto *common = reinterpret_cast<dbCommon *>(rec);
    const bool done = completed(common, [](Dpvt &d, int handle) {
        // Zero-filled and one longer than the field: always a string.
        std::memset(d.text, 0, sizeof d.text);
        return d.channel.readText(handle, d.text, KIVRA_TEXT_FIELD_SIZE);
    });
    if (done && dpvtOf(common)->result >= 0) {
        std::strncpy(rec->val, dpvtOf(common)->text, sizeof rec->val - 1);
        rec->val[sizeof rec->val - 1] = '\0';
        rec->udf = FALSE;
    }
    return 0;
}

// --- lsi: the port's status text ------------------------------------------------

long initLsi(dbCommon *rec)
{
    return attach(rec, false, {ChannelKind::Status});
}

long readLsi(lsiRecord *rec)
{
    const std::string status = dpvtOf(reinterpret_cast<dbCommon *>(rec))->channel.port->status();
    const size_t length = std::min<size_t>(status.size(), rec->sizv - 1);
    std::memcpy(rec->val, status.data(), length);
    rec->val[length] = '\0';
    rec->len = static_cast<epicsUInt32>(length + 1);
    rec->udf = FALSE;
    return 0;
}

} // namespace

namespace kivraioc {

// A record type's table: base's common part and the read or write routine
// (ai's has a linear conversion routine too, which it does not use).
struct Dset
{
    long number;
    DEVSUPFUN report;
    DEVSUPFUN init;
    DEVSUPFUN initRecord;
    DEVSUPFUN getIoIntInfo;
    DEVSUPFUN io;
    DEVSUPFUN linconv;
};

// Base calls the table's routines by their own signatures.
template <typename F> DEVSUPFUN routine(F *f)
{
    return reinterpret_cast<DEVSUPFUN>(reinterpret_cast<void (*)()>(f));
}

template <typename Record>
Dset table(long (*init)(dbCommon *), long (*io)(Record *), bool interrupts = false)
{
    return {
        5,           nullptr, nullptr, routine(init), interrupts ? routine(getIoIntInfo) : nullptr,
        routine(io), nullptr};
}

} // namespace kivraioc

using kivraioc::Dset;
using kivraioc::table;

extern "C" {

Dset devKivraBi = table(initBi, readBi, true);
Dset devKivraBo = table(initBo, writeBo);
Dset devKivraMbbi = table(initMbbi, readMbbi);
Dset devKivraMbbo = table(initMbbo, writeMbbo);
Dset devKivraLongin = table(initLongin, readLongin);
Dset devKivraLongout = table(initLongout, writeLongout);
Dset devKivraAi = {
    6, nullptr, nullptr, kivraioc::routine(initAi), nullptr, kivraioc::routine(readAi), nullptr};
Dset devKivraStringin = table(initStringin, readStringin);
Dset devKivraLsi = table(initLsi, readLsi, true);

epicsExportAddress(dset, devKivraBi);
epicsExportAddress(dset, devKivraBo);
epicsExportAddress(dset, devKivraMbbi);
epicsExportAddress(dset, devKivraMbbo);
epicsExportAddress(dset, devKivraLongin);
epicsExportAddress(dset, devKivraLongout);
epicsExportAddress(dset, devKivraAi);
epicsExportAddress(dset, devKivraStringin);
epicsExportAddress(dset, devKivraLsi);
}
