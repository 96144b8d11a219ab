// Names and units of the logged values in Chinese and English.
#include "app/window/ValueNames.h"

#include <cstring>

#include "log/LogColumns.h"

namespace korvex {

namespace {

struct Name {
    const char* field;
    const char* zh;
    const char* en;
    const char* unit; // empty: a ratio
};

// The words of the report pages where they name the value.
const Name kNames[] = {
    {"Urms", "输入电压", "Input voltage", "V"},
    {"Irms", "输入电流", "Input current", "A"},
    {"Irmsw", "宽频输入电流", "Input current, wide band", "A"},
    {"Pin", "输入功率", "Input power", "W"},
    {"PF", "功率因数", "Power factor", ""},
    {"PFw", "宽频功率因数", "Power factor, wide band", ""},
    {"Fin", "输入频率", "Input frequency", "Hz"},
    {"THDU", "电压总谐波 (IEC)", "Voltage THD (IEC)", "%"},
    {"THDI", "电流总谐波 (IEC)", "Current THD (IEC)", "%"},
    {"THDIw", "宽频电流总谐波 (IEC)", "Current THD, wide band (IEC)", "%"},
    {"THDUcsa", "电压总谐波 (CSA)", "Voltage THD (CSA)", "%"},
    {"THDIcsa", "电流总谐波 (CSA)", "Current THD (CSA)", "%"},
    {"THDIwcsa", "宽频电流总谐波 (CSA)", "Current THD, wide band (CSA)", "%"},
    {"CFv", "电压波峰比", "Voltage crest factor", ""},
    {"CFi", "电流波峰比", "Current crest factor", ""},
    {"PhaseStart", "起始相位", "Begin phase", "°"},
    {"PhasePeak", "峰值相位", "Peak phase", "°"},
    {"PhaseEnd", "终止相位", "End phase", "°"},
    {"Fout", "振荡频率", "Oscillation frequency", "kHz"},
    {"Pout", "灯功率", "Lamp power", "W"},
    {"Ulm", "灯电压峰值", "Lamp voltage, peak", "V"},
    {"Ulrms", "灯电压", "Lamp voltage", "V"},
    {"Ulcf", "灯电压波峰系数", "Lamp voltage crest factor", ""},
    {"Ilm", "灯电流峰值", "Lamp current, peak", "A"},
    {"Ilrms", "灯电流", "Lamp current", "A"},
    {"Ilcf", "灯电流波峰系数 (正波)", "Lamp current crest factor (+)", ""},
    {"Ilncf", "灯电流波峰系数 (负波)", "Lamp current crest factor (-)", ""},
    {"Ildhc", "灯电流半波差", "Lamp current half-wave difference", "%"},
    {"Ifm", "灯丝电流峰值", "Filament current, peak", "A"},
    {"Ifrms", "灯丝电流", "Filament current", "A"},
    {"Ifcf", "灯丝电流波峰系数", "Filament current crest factor", ""},
    {"Ikm", "导入阴极电流峰值", "Cathode lead current, peak", "A"},
    {"Ikrms", "导入阴极电流", "Cathode lead current", "A"},
    {"Ikcf", "导入阴极电流波峰系数", "Cathode lead current crest factor", ""},
    {"StrUlp", "启动峰值电压", "Start: peak voltage", "V"},
    {"StrIlp", "启动峰值灯电流", "Start: peak lamp current", "A"},
    {"StrIfp", "启动峰值灯丝电流", "Start: peak filament current", "A"},
    {"StrIkp", "启动峰值导入阴极电流", "Start: peak cathode lead current", "A"},
    {"StrT", "预热时间", "Warm-up time", "s"},
    {"UlpT", "电压到达峰值时间", "Time to peak voltage", "s"},
    {"IlpT", "灯电流到达峰值时间", "Time to peak lamp current", "s"},
    {"IfpT", "灯丝电流到达峰值时间", "Time to peak filament current", "s"},
    {"IkpT", "导入阴极电流到达峰值时间", "Time to peak cathode lead current", "s"},
    {"preheatEnergy", "预热能量", "Warm-up energy", "J"},
    {"preheatTime", "预启动时间", "Pre-start time", "s"},
};

} // namespace

QString valueName(const LogValueColumn& column, bool chinese)
{
    for (const Name& n : kNames) {
        if (std::strcmp(n.field, column.name) != 0)
            continue;
        QString text = QString::fromUtf8(chinese ? n.zh : n.en);
        if (*n.unit)
            text += QStringLiteral(" (%1)").arg(QString::fromUtf8(n.unit));
        return text;
    }
    return QString::fromLatin1(column.name); // a value added to the log without a name here yet
}

} // namespace korvex
