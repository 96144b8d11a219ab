// The spreadsheet export: the fixed title line and the 43 values of a record.
#include "record/Spreadsheet.h"

#include "record/FileUtil.h"
#include "record/NumberFormat.h"

namespace korvex {

namespace {

struct Column {
    float TestRecord::*field;
    int decimals;
};

// Column order of the export; Fin stands between PFw and THDU.
const Column kColumns[] = {
    {&TestRecord::Urms, 1},      {&TestRecord::Irms, 3},     {&TestRecord::Irmsw, 3},   {&TestRecord::Pin, 1},
    {&TestRecord::PF, 3},        {&TestRecord::PFw, 3},      {&TestRecord::Fin, 2},     {&TestRecord::THDU, 1},
    {&TestRecord::THDI, 1},      {&TestRecord::THDIw, 1},    {&TestRecord::THDUcsa, 1}, {&TestRecord::THDIcsa, 1},
    {&TestRecord::THDIwcsa, 1},  {&TestRecord::CFv, 2},      {&TestRecord::CFi, 2},     {&TestRecord::PhaseStart, 1},
    {&TestRecord::PhasePeak, 1}, {&TestRecord::PhaseEnd, 1}, {&TestRecord::Fout, 2},    {&TestRecord::Pout, 1},
    {&TestRecord::Ulm, 1},       {&TestRecord::Ulrms, 1},    {&TestRecord::Ulcf, 2},    {&TestRecord::Ilm, 3},
    {&TestRecord::Ilrms, 3},     {&TestRecord::Ilcf, 2},     {&TestRecord::Ilncf, 2},   {&TestRecord::Ildhc, 1},
    {&TestRecord::Ifm, 3},       {&TestRecord::Ifrms, 3},    {&TestRecord::Ifcf, 2},    {&TestRecord::Ikm, 3},
    {&TestRecord::Ikrms, 3},     {&TestRecord::Ikcf, 2},     {&TestRecord::StrUlp, 1},  {&TestRecord::StrIlp, 3},
    {&TestRecord::StrIfp, 3},    {&TestRecord::StrIkp, 3},   {&TestRecord::StrT, 2},    {&TestRecord::UlpT, 2},
    {&TestRecord::IlpT, 2},      {&TestRecord::IfpT, 2},     {&TestRecord::IkpT, 2},
};
static_assert(sizeof kColumns / sizeof kColumns[0] == 43);

} // namespace

const std::string& spreadsheetTitleLine()
{
    static const std::string title =
        std::string("Urms(V),Irms(A),Irmsw(A),Pin(W),PF,PFw,Fin(Hz),THDU(%),THDI(%),THDIw(%),") +
        "THDUcsa(%),THDIcsa(%),THDIwcsa(%),CFv,CFi,PhaseStart,PhasePeak,PhaseEnd," +
        "Fout(kHz),Pout(W),Ulm(V),Ulrms(V),Ulcf,Ilm(A),Ilrms(A),Ilcf,Ilncf,Ildhc(%)," +
        "Ifm(A),Ifrms(A),Ifcf,Ikm(A),Ikrms(A),Ikcf," +
        "StrIlp(V),StrIlp(A),StrIfp(A),StrIkp(A),StrT(S),UlpT(S),IlpT(S),IfpT(S),IkpT(S)";
    return title;
}

std::string spreadsheetValueLine(const TestRecord& r)
{
    std::string line;
    line.reserve(400);
    bool first = true;
    for (const Column& c : kColumns) {
        if (!first)
            line += ',';
        first = false;
        line += formatFixed(r.*(c.field), 4, c.decimals);
    }
    return line;
}

Notice exportSpreadsheet(const std::string& path, const TestRecord& r)
{
    const std::string bytes = spreadsheetTitleLine() + "\r\n" + spreadsheetValueLine(r) + "\r\n";
    if (!replaceFileAtomically(path, bytes))
        return Notice::writeFailure("Export data failure!", "Notice", path);
    return Notice::success();
}

} // namespace korvex
