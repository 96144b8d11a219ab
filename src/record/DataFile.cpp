// The data file: field table, encoder, decoder with range checks, file read and write.
#include "record/DataFile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "record/FileUtil.h"
#include "record/TextCodec.h"

namespace korvex {

namespace {

#define KF(field, type, count, in31, in30)                                                                             \
    {                                                                                                                  \
#field, FieldType::type, count, in31, in30, [](TestRecord & r) -> void* { return &r.field; }                   \
    }
#define KA(field, count, in31, in30)                                                                                   \
    {                                                                                                                  \
#field, FieldType::F32, count, in31, in30, [](TestRecord & r) -> void* { return r.field; }                     \
    }
#define KT(field, in31, in30)                                                                                          \
    {                                                                                                                  \
#field, FieldType::Text, static_cast < int>(sizeof(TestRecord::field)), in31, in30,                            \
            [](TestRecord & r) -> void* { return r.field; }                                                            \
    }

const StoredField kFields[] = {
    KF(currentTest, I32, 1, true, true),
    KF(thdCsa, I32, 1, false, false),
    KF(hasInputResult, I32, 1, false, false),
    KF(hasPhaseResult, I32, 1, false, false),
    KF(hasOutputResult, I32, 1, false, false),
    KF(hasCompResult, I32, 1, false, false),
    KF(hasStartResult, I32, 1, false, false),
    KF(hasEnergyResult, I32, 1, false, false),
    KF(Urms, F32, 1, true, true),
    KF(Irms, F32, 1, true, true),
    KF(Irmsw, F32, 1, true, true),
    KF(Pin, F32, 1, true, true),
    KF(PF, F32, 1, true, true),
    KF(PFw, F32, 1, true, true),
    KF(THDU, F32, 1, true, true),
    KF(THDI, F32, 1, true, true),
    KF(THDIw, F32, 1, true, true),
    KF(THDUcsa, F32, 1, false, false),
    KF(THDIcsa, F32, 1, false, false),
    KF(THDIwcsa, F32, 1, false, false),
    KF(Fin, F32, 1, true, true),
    KF(CFv, F32, 1, true, true),
    KF(CFi, F32, 1, true, true),
    KF(peakU, F32, 1, true, true),
    KF(peakI, F32, 1, true, true),
    KF(PhaseStart, F32, 1, true, true),
    KF(PhasePeak, F32, 1, true, true),
    KF(PhaseEnd, F32, 1, true, true),
    KA(waveU, kDisplayPoints, true, true),
    KA(waveI, kDisplayPoints, true, true),
    KA(ampU, kHarmonics, true, true),
    KA(ampI, kHarmonics, true, true),
    KA(harmI, kHarmonics, true, true),
    KA(mApW, kHarmonics, true, true),
    KA(pctU, kHarmonics, true, true),
    KA(pctI, kHarmonics, true, true),
    KF(Fout, F32, 1, true, true),
    KF(Pout, F32, 1, true, true),
    KF(Ulm, F32, 1, true, true),
    KF(Ulrms, F32, 1, true, true),
    KF(Ulcf, F32, 1, true, true),
    KF(Ilm, F32, 1, true, true),
    KF(Ilrms, F32, 1, true, true),
    KF(Ilcf, F32, 1, true, true),
    KF(Ilncf, F32, 1, true, true),
    KF(Ildhc, F32, 1, true, true),
    KF(Ifm, F32, 1, true, true),
    KF(Ifrms, F32, 1, true, true),
    KF(Ifcf, F32, 1, true, true),
    KF(Ikm, F32, 1, true, true),
    KF(Ikrms, F32, 1, true, true),
    KF(Ikcf, F32, 1, true, true),
    KF(peakUl, F32, 1, true, true),
    KF(peakIl, F32, 1, true, true),
    KF(peakIf, F32, 1, true, true),
    KF(peakIk, F32, 1, true, true),
    KA(waveUl, kOutputWaveLen, true, true),
    KA(waveIl, kOutputWaveLen, true, true),
    KA(waveIf, kOutputWaveLen, true, true),
    KA(waveIk, kOutputWaveLen, true, true),
    KF(StrUlp, F32, 1, true, true),
    KF(StrIlp, F32, 1, true, true),
    KF(StrIfp, F32, 1, true, true),
    KF(StrIkp, F32, 1, true, true),
    KF(peakStartUl, F32, 1, true, true),
    KF(peakStartIl, F32, 1, true, true),
    KF(peakStartIf, F32, 1, true, true),
    KF(peakStartIk, F32, 1, true, true),
    KF(StrT, F32, 1, true, true),
    KF(UlpT, F32, 1, true, true),
    KF(IlpT, F32, 1, true, true),
    KF(IfpT, F32, 1, true, true),
    KF(IkpT, F32, 1, true, true),
    KF(cursorIndex, I32, 1, true, true),
    KF(cursorTime, F32, 1, true, true),
    KF(cursorUl, F32, 1, true, true),
    KF(cursorIl, F32, 1, true, true),
    KF(cursorIf, F32, 1, true, true),
    KF(cursorIk, F32, 1, true, true),
    KA(waveStartUl, kStartSamples, true, true),
    KA(waveStartIl, kStartSamples, true, true),
    KA(waveStartIf, kStartSamples, true, true),
    KA(waveStartIk, kStartSamples, true, true),
    KF(qPara, F32, 1, true, false),
    KF(pPara, F32, 1, true, false),
    KF(fPara, F32, 1, true, false),
    KF(energyCurrentScale, F32, 1, true, false),
    KF(energyScale, F32, 1, true, false),
    KF(preheatEnergy, F32, 1, true, false),
    KF(filamentUMax, F32, 1, true, false),
    KF(filamentIMax, F32, 1, true, false),
    KF(filamentUMaxTime, F32, 1, true, false),
    KF(filamentIMaxTime, F32, 1, true, false),
    KF(preheatTime, F32, 1, true, false),
    KF(energyCursor, I32, 1, true, false),
    KF(preheatEndIndex, I32, 1, true, false),
    KA(waveFilamentU, kEnergySamples, true, false),
    KA(waveFilamentI, kEnergySamples, true, false),
    KA(waveEnergy, kEnergySamples, true, false),
    KF(wideBand, I32, 1, true, true),
    KF(chinese, I32, 1, true, true),
    KT(infoName, true, true),
    KT(infoNo, true, true),
    KT(infoType, true, true),
    KT(infoSpec, true, true),
    KT(infoTemperature, true, true),
    KT(infoHumidity, true, true),
    KT(infoManufacturer, true, true),
    KT(infoOperator, true, true),
    KT(infoFlux, true, true),
    KT(infoColorTemp, true, true),
    KT(testDate, true, true),
};

#undef KF
#undef KA
#undef KT

constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];
constexpr size_t kTagLen = 10;

void putU32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t getU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

/// Copies one field between the record and the file bytes, little-endian whatever the host.
void encodeField(const StoredField& f, TestRecord& r, uint8_t* out)
{
    void* p = f.at(r);
    if (f.type == FieldType::Text) {
        std::memcpy(out, p, static_cast<size_t>(f.count));
        return;
    }
    for (int i = 0; i < f.count; ++i) {
        uint32_t v;
        std::memcpy(&v, static_cast<uint8_t*>(p) + std::ptrdiff_t{4} * i, 4);
        putU32(out + std::ptrdiff_t{4} * i, v);
    }
}

void decodeField(const StoredField& f, TestRecord& r, const uint8_t* in)
{
    void* p = f.at(r);
    if (f.type == FieldType::Text) {
        std::memcpy(p, in, static_cast<size_t>(f.count));
        return;
    }
    for (int i = 0; i < f.count; ++i) {
        const uint32_t v = getU32(in + std::ptrdiff_t{4} * i);
        std::memcpy(static_cast<uint8_t*>(p) + std::ptrdiff_t{4} * i, &v, 4);
    }
}

/// Makes every text terminated within its field (a text without a NUL keeps n-1 bytes, never
/// half a character) and brings the indexes that pages, cursors and keys use into range.
void sanitize(TestRecord& r)
{
    for (const StoredField& f : kFields) {
        if (f.type != FieldType::Text)
            continue;
        char* text = static_cast<char*>(f.at(r));
        const size_t n = static_cast<size_t>(f.count);
        if (std::memchr(text, 0, n) == nullptr)
            storeText(text, n, std::string_view(text, n));
    }
    if (!isTestKind(r.currentTest))
        r.currentTest = KindNone;
    r.cursorIndex = std::clamp(r.cursorIndex, 0, kStartSamples - 1);
    r.energyCursor = std::clamp(r.energyCursor, 0, kEnergySamples - 1);
    r.preheatEndIndex = std::clamp(r.preheatEndIndex, 0, kEnergySamples - 1);
}

} // namespace

const StoredField* storedFields(size_t& count)
{
    count = kFieldCount;
    return kFields;
}

long fieldOffset(const StoredField& f, DataVersion v)
{
    if (!f.presentIn(v))
        return -1;
    size_t offset = kTagLen;
    for (size_t i = 0; i < kFieldCount && &kFields[i] != &f; ++i)
        if (kFields[i].presentIn(v))
            offset += kFields[i].bytes();
    return static_cast<long>(offset);
}

bool versionOfTag(const char* tag10, DataVersion& version)
{
    if (std::memcmp(tag10, "KORVEX-3.0", kTagLen) == 0)
        version = DataVersion::V30;
    else if (std::memcmp(tag10, "KORVEX-3.1", kTagLen) == 0)
        version = DataVersion::V31;
    else if (std::memcmp(tag10, "KORVEX-3.2", kTagLen) == 0)
        version = DataVersion::V32;
    else
        return false;
    return true;
}

const char* tagOf(DataVersion version)
{
    switch (version) {
    case DataVersion::V30: return "KORVEX-3.0";
    case DataVersion::V31: return "KORVEX-3.1";
    case DataVersion::V32: break;
    }
    return "KORVEX-3.2";
}

size_t sizeOf(DataVersion version)
{
    switch (version) {
    case DataVersion::V30: return kDataFileSize30;
    case DataVersion::V31: return kDataFileSize31;
    case DataVersion::V32: break;
    }
    return kDataFileSize32;
}

std::vector<uint8_t> encodeDataFile(const TestRecord& r)
{
    std::vector<uint8_t> image(kDataFileSize32, 0);
    std::memcpy(image.data(), "KORVEX-3.2", kTagLen);
    TestRecord& rr = const_cast<TestRecord&>(r); // the accessors are shared with decoding; nothing is written
    size_t offset = kTagLen;
    for (const StoredField& f : kFields) {
        encodeField(f, rr, image.data() + offset);
        offset += f.bytes();
    }
    return image;
}

bool decodeRaw(const std::vector<uint8_t>& image, TestRecord& r, DataVersion& version)
{
    if (image.size() < kTagLen || !versionOfTag(reinterpret_cast<const char*>(image.data()), version))
        return false;
    if (image.size() < sizeOf(version))
        return false;
    size_t offset = kTagLen;
    for (const StoredField& f : kFields) {
        if (!f.presentIn(version))
            continue;
        decodeField(f, r, image.data() + offset);
        offset += f.bytes();
    }
    return true;
}

Notice decodeDataFile(const std::vector<uint8_t>& image, TestRecord& r, DataVersion* versionOut)
{
    // Load into a copy, so a refused file leaves the record exactly as it was.
    TestRecord copy = r;
    DataVersion version{};
    if (!decodeRaw(image, copy, version))
        return Notice::failure("数据文件格式错误!", "警告");
    copy.resultsShown = 1;
    if (version != DataVersion::V32) {
        copy.thdCsa = 0;
        copy.THDUcsa = copy.THDIcsa = copy.THDIwcsa = 0;
    }
    if (version == DataVersion::V30) {
        std::fill(std::begin(copy.waveFilamentU), std::end(copy.waveFilamentU), 0.0f);
        std::fill(std::begin(copy.waveFilamentI), std::end(copy.waveFilamentI), 0.0f);
        std::fill(std::begin(copy.waveEnergy), std::end(copy.waveEnergy), 0.0f);
    }
    sanitize(copy);
    r = copy;
    if (versionOut)
        *versionOut = version;
    return Notice::success();
}

Notice readDataFile(const std::string& path, TestRecord& r, DataVersion* version)
{
    std::string bytes;
    if (!readWholeFile(path, bytes, kDataFileSize32))
        return Notice::failure("打开数据文件失败!", "警告");
    const std::vector<uint8_t> image(bytes.begin(), bytes.end());
    return decodeDataFile(image, r, version);
}

Notice writeDataFile(const std::string& path, const TestRecord& r)
{
    const std::vector<uint8_t> image = encodeDataFile(r);
    if (!replaceFileAtomically(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size())))
        return Notice::writeFailure("存数据失败!", "警告", path);
    return Notice::success();
}

} // namespace korvex
