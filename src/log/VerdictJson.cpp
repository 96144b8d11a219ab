// Reading verdictJson's output with Qt's JSON reader.
#include "log/VerdictJson.h"
#include "kinds/VerdictNames.h"

#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <limits>

namespace korvex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double number(const QJsonValue& v)
{
    return v.isDouble() ? v.toDouble() : kNaN;
}

/// The kind and order whose key checkKey() writes as key.
bool checkOf(const QString& key, LimitCheck& c)
{
    for (int k = int(CheckKind::ClassCHarmonic); k <= int(CheckKind::StartVoltageMax); ++k)
        for (int order = 0; order < kHarmonics; ++order) {
            c.kind = CheckKind(k);
            c.order = order;
            if (QString::fromStdString(checkKey(c)) == key)
                return true;
        }
    return false;
}

} // namespace

std::optional<Verdict> verdictFromJson(const QString& json)
{
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    const QString result = o.value(QLatin1String("result")).toString();
    if (result.isEmpty())
        return std::nullopt;
    Verdict v;
    v.profile = o.value(QLatin1String("profile")).toString().toStdString();
    v.runs = o.value(QLatin1String("runs")).toInt(1);
    v.pass = o.value(QLatin1String("pass")).toBool();
    v.notJudged = o.value(QLatin1String("reason")).toString().toStdString();
    const QStringList regimes = {QStringLiteral("notMeasured"), QStringLiteral("above25W"), QStringLiteral("5to25W"),
                                 QStringLiteral("below5W")};
    for (const QJsonValue& sv : o.value(QLatin1String("sections")).toArray()) {
        const QJsonObject so = sv.toObject();
        VerdictSection s;
        const QString key = so.value(QLatin1String("section")).toString();
        bool known = false;
        for (const SectionKind k : {SectionKind::ClassC, SectionKind::LampCrest, SectionKind::PreheatEnergy,
                                    SectionKind::Optional, SectionKind::Start})
            if (key == QLatin1String(sectionKey(k))) {
                s.kind = k;
                known = true;
            }
        if (!known)
            return std::nullopt;
        s.pass = so.value(QLatin1String("pass")).toBool();
        s.measured = so.value(QLatin1String("measured")).toBool(true);
        s.regime = ClassCRegime(std::max<qsizetype>(0, regimes.indexOf(so.value(QLatin1String("regime")).toString())));
        s.passA = so.value(QLatin1String("wayA")).toBool();
        s.passB = so.value(QLatin1String("wayB")).toBool();
        for (const QJsonValue& cv : so.value(QLatin1String("checks")).toArray()) {
            const QJsonObject co = cv.toObject();
            LimitCheck c;
            if (!checkOf(co.value(QLatin1String("check")).toString(), c))
                return std::nullopt;
            c.value = number(co.value(QLatin1String("value")));
            c.limit = number(co.value(QLatin1String("limit")));
            c.upper = co.value(QLatin1String("bound")).toString() != QLatin1String("min");
            c.margin = number(co.value(QLatin1String("margin")));
            c.maxValue = number(co.value(QLatin1String("max")));
            const QString r = co.value(QLatin1String("result")).toString();
            c.result = r == QLatin1String("pass")   ? Outcome::Pass
                       : r == QLatin1String("fail") ? Outcome::Fail
                                                    : Outcome::Disregarded;
            s.checks.push_back(c);
        }
        v.sections.push_back(std::move(s));
    }
    if (resultKey(v.result()) != result.toStdString())
        return std::nullopt; // not what was written
    return v;
}

} // namespace korvex
