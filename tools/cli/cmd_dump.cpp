// korvex-cli dump: every stored field of a data file as one JSON object.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "FileArgs.h"
#include "Json.h"
#include "record/TextCodec.h"

namespace korvex::cli {

namespace {

std::string fieldJson(const StoredField& f, TestRecord& r)
{
    void* p = f.at(r);
    if (f.type == FieldType::Text) {
        const char* text = static_cast<const char*>(p);
        // A text without a terminator shows the n-1 bytes the program keeps of it.
        std::string bytes = fieldText(text, static_cast<size_t>(f.count));
        if (bytes.size() == static_cast<size_t>(f.count))
            bytes = truncateCp936(bytes, static_cast<size_t>(f.count) - 1);
        return jsonString(cp936ToUtf8(bytes));
    }
    auto one = [&](int i) -> std::string {
        if (f.type == FieldType::I32) {
            int32_t v;
            std::memcpy(&v, static_cast<uint8_t*>(p) + std::ptrdiff_t{4} * i, 4);
            return std::to_string(v);
        }
        float v;
        std::memcpy(&v, static_cast<uint8_t*>(p) + std::ptrdiff_t{4} * i, 4);
        return jsonFloat(v);
    };
    if (f.count == 1)
        return one(0);
    std::string out = "[";
    for (int i = 0; i < f.count; ++i) {
        if (i)
            out += ',';
        out += one(i);
    }
    out += ']';
    return out;
}

} // namespace

int cmdDump(int argc, char** argv)
{
    if (wantsHelp(argc, argv)) {
        std::printf("Usage: korvex-cli dump FILE.kvx\n\n"
                    "Prints one JSON object with every field the data file stores, named as in the\n"
                    "file layout, plus \"version\" (the file's tag). Versions 3.0 and 3.1 list only the\n"
                    "fields they hold. Texts are converted from code page 936 to UTF-8; floats read back\n"
                    "to the same single-precision value; NaN and infinities are the strings \"NaN\",\n"
                    "\"Infinity\" and \"-Infinity\".\n"
                    "Exit status: 0 printed; 1 usage error; 2 the file cannot be read, has an unknown tag\n"
                    "or is too short.\n");
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "Usage: korvex-cli dump FILE.kvx\n");
        return 1;
    }
    TestRecord r;
    DataVersion version{};
    if (!loadRawDataFile(argv[1], r, version))
        return 2;
    size_t count = 0;
    const StoredField* fields = storedFields(count);
    std::string out = "{\n  \"version\": " + jsonString(tagOf(version));
    for (size_t i = 0; i < count; ++i) {
        if (!fields[i].presentIn(version))
            continue;
        out += ",\n  ";
        out += jsonString(fields[i].name);
        out += ": ";
        out += fieldJson(fields[i], r);
    }
    out += "\n}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace korvex::cli
