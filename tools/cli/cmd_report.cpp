// korvex-cli report / render: the print pages of a data file as PDF, its screen page as PNG.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "GuiApp.h"
#include "KindNames.h"
#include "VerdictArgs.h"
#include "app/canvas/PageFonts.h"
#include "app/canvas/PrintPages.h"
#include "app/canvas/ScreenCanvas.h"
#include "kinds/Pages.h"
#include "kinds/VerdictPage.h"
#include "record/FileUtil.h"

namespace korvex::cli {

namespace {

// Dots per inch of the PDF: QPdfWriter's own, the same as a high-resolution QPrinter's.
constexpr int kPdfResolution = 1200;

// "en" / "zh" into the record's language flag; false for anything else.
bool applyLanguage(const char* lang, TestRecord& r)
{
    if (std::strcmp(lang, "en") == 0)
        r.chinese = 0;
    else if (std::strcmp(lang, "zh") == 0)
        r.chinese = 1;
    else
        return false;
    return true;
}

// Loads the data file and applies --lang: 0, or the exit status (2 a bad file, 1 a bad language).
int loadPageRecord(const std::string& file, const char* lang, TestRecord& r, DataVersion* version = nullptr)
{
    if (!loadDataFile(file, r, version))
        return 2;
    if (lang && !applyLanguage(lang, r)) {
        std::fprintf(stderr, "korvex-cli: --lang must be en or zh\n");
        return 1;
    }
    return 0;
}

// A kind given by number or by name; 0 when unknown.
int32_t kindOf(const std::string& s)
{
    for (int k = 1; k <= 6; ++k)
        if (s == std::to_string(k))
            return k;
    if (const int32_t k = kindByName(s))
        return k;
    if (s == "comp")
        return KindComprehensive;
    return 0;
}

// The kinds of a --pages value: all, current or a comma-separated list. Empty on error.
bool pagesOf(const std::string& pageList, const TestRecord& r, std::vector<int32_t>& kinds)
{
    kinds.clear();
    if (pageList == "all") {
        for (int32_t k = 1; k <= 6; ++k)
            if (r.hasResult(k))
                kinds.push_back(k);
        return true;
    }
    if (pageList == "current") {
        if (isTestKind(r.currentTest))
            kinds.push_back(r.currentTest);
        return true;
    }
    size_t start = 0;
    while (start <= pageList.size()) {
        const size_t comma = pageList.find(',', start);
        const std::string item = pageList.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const int32_t k = kindOf(item);
        if (k == 0) {
            std::fprintf(stderr, "korvex-cli: unknown page '%s'\n", item.c_str());
            return false;
        }
        kinds.push_back(k);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return true;
}

const char* optionValue(int argc, char** argv, int& i)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "korvex-cli: %s needs a value\n", argv[i]);
        return nullptr;
    }
    return argv[++i];
}

} // namespace

int cmdReport(int argc, char** argv)
{
    const char* usage = "Usage: korvex-cli report FILE.kvx --pdf OUT.pdf [--lang en|zh] [--pages all|current|LIST]\n"
                        "                         [--verdict [--profile NAME] [--limits FILE]]\n";
    if (wantsHelp(argc, argv)) {
        std::printf("%s\nWrites the print pages of a data file as a PDF, one landscape A4 sheet per page, drawn\n"
                    "as the printer would draw them (0.01 mm units). --lang defaults to the file's language;\n"
                    "--pages: all (every kind with results; the default for a KORVEX-3.2 file), current (the\n"
                    "file's current page; the default for KORVEX-3.0 and 3.1 files, which keep no result\n"
                    "flags) or a comma-separated list of kinds 1-6 or names input, phase, output,\n"
                    "comprehensive, start, energy. --verdict appends a verdict sheet judged against the\n"
                    "limits (see 'korvex-cli verdict --help'). The PDF is written to a temporary file first\n"
                    "and replaces OUT.pdf only when complete.\n"
                    "Exit status: 0 written; 1 usage error; 2 the data file cannot be read, it has no page\n"
                    "to print, or the PDF cannot be written (OUT.pdf is then left as it was).\n",
                    usage);
        return 0;
    }
    std::string file, pdf, pages;
    const char* lang = nullptr;
    VerdictChoice choice;
    bool verdict = false, badOption = false;
    for (int i = 1; i < argc; ++i) {
        const char* v = nullptr;
        if (takeVerdictOption(argc, argv, i, choice, badOption)) {
            if (badOption)
                return 1;
        } else if (std::strcmp(argv[i], "--verdict") == 0)
            verdict = true;
        else if (std::strcmp(argv[i], "--pdf") == 0 && (v = optionValue(argc, argv, i)))
            pdf = v;
        else if (std::strcmp(argv[i], "--lang") == 0 && (v = optionValue(argc, argv, i)))
            lang = v;
        else if (std::strcmp(argv[i], "--pages") == 0 && (v = optionValue(argc, argv, i)))
            pages = v;
        else if (argv[i][0] != '-' && file.empty())
            file = argv[i];
        else {
            std::fputs(usage, stderr);
            return 1;
        }
    }
    if (file.empty() || pdf.empty()) {
        std::fputs(usage, stderr);
        return 1;
    }
    TestRecord r;
    DataVersion version = DataVersion::V32;
    if (const int status = loadPageRecord(file, lang, r, &version))
        return status;
    if (pages.empty())
        pages = version == DataVersion::V32 ? "all" : "current";
    PrintJob job;
    if (!pagesOf(pages, r, job.kinds))
        return 1;
    if (job.kinds.empty()) {
        std::fprintf(stderr, "korvex-cli: %s: no page to print (no results of the chosen kinds)\n", file.c_str());
        return 2;
    }

    VerdictProfile profile;
    if (verdict) {
        LimitsFile limits;
        if (!loadLimits(choice, limits))
            return 2;
        if (!chooseProfile(limits.profiles, choice, r, profile))
            return 1;
    }

    auto gui = startGui();
    job.beforePage = [&r](int32_t kind, PrintJob&) {
        // As the print command does: the printed kind becomes the page shown, with what that
        // page needs in the record brought up to date.
        r.currentTest = kind;
        r.resultsShown = 1;
        prepareShownPage(r);
    };
    if (verdict) {
        job.appendix.emplace_back([&r, &profile](PageCanvas& canvas) {
            drawVerdictSheet(canvas, r, judgeRecord(r, profile), r.chinese != 0);
        });
    }
    std::string error;
    if (!writePdfPages(pdf, QPageSize(QPageSize::A4), QPageLayout::Landscape, kPdfResolution, r, job, error)) {
        std::fprintf(stderr, "korvex-cli: %s: %s\n", pdf.c_str(), error.c_str());
        return 2;
    }
    return 0;
}

int cmdRender(int argc, char** argv)
{
    const char* usage = "Usage: korvex-cli render FILE.kvx --png OUT.png [--size WxH] [--lang en|zh] [--kind K]\n";
    if (wantsHelp(argc, argv)) {
        std::printf("%s\nWrites the screen page of a data file as the window draws it on a drawing area of\n"
                    "WxH pixels (default 640x385). --lang defaults to the file's language, --kind (1-6 or a\n"
                    "name) to the file's current page. The image is written to a temporary file first and\n"
                    "replaces OUT.png only when complete.\n"
                    "Exit status: 0 written; 1 usage error; 2 the data file cannot be read or the image\n"
                    "cannot be written (OUT.png is then left as it was).\n",
                    usage);
        return 0;
    }
    std::string file, png;
    int width = 640, height = 385;
    const char* lang = nullptr;
    int32_t kind = -1;
    // The analyser cannot know that argv[i] is never null below argc.
    // NOLINTBEGIN(clang-analyzer-core.NonNullParamChecker,clang-analyzer-core.NullDereference)
    for (int i = 1; i < argc; ++i) {
        const char* v = nullptr;
        if (std::strcmp(argv[i], "--png") == 0 && (v = optionValue(argc, argv, i))) {
            png = v;
        } else if (std::strcmp(argv[i], "--lang") == 0 && (v = optionValue(argc, argv, i))) {
            lang = v;
        } else if (std::strcmp(argv[i], "--kind") == 0 && (v = optionValue(argc, argv, i))) {
            kind = kindOf(v);
            if (kind == 0) {
                std::fprintf(stderr, "korvex-cli: unknown kind '%s'\n", v);
                return 1;
            }
        } else if (std::strcmp(argv[i], "--size") == 0 && (v = optionValue(argc, argv, i))) {
            char x = 0;
            char rest = 0;
            if (std::sscanf(v, "%d%c%d%c", &width, &x, &height, &rest) != 3 || (x != 'x' && x != 'X') || width < 1 ||
                height < 1 || width > 16384 || height > 16384) {
                std::fprintf(stderr, "korvex-cli: --size must be WxH with 1 to 16384 pixels each\n");
                return 1;
            }
        } else if (argv[i][0] != '-' && file.empty()) {
            file = argv[i];
        } else {
            std::fputs(usage, stderr);
            return 1;
        }
    }
    // NOLINTEND(clang-analyzer-core.NonNullParamChecker,clang-analyzer-core.NullDereference)
    if (file.empty() || png.empty()) {
        std::fputs(usage, stderr);
        return 1;
    }
    TestRecord r;
    if (const int status = loadPageRecord(file, lang, r))
        return status;
    if (kind > 0) {
        r.currentTest = kind;
        r.resultsShown = 1;
    }

    // The page as the window shows it: made the page shown, then drawn.
    prepareShownPage(r);
    auto gui = startGui();
    ScreenCanvas canvas(width, height);
    drawScreenPage(canvas, r);
    // Encoded in memory and written through a temporary file: a full disk leaves the old
    // image in place instead of an empty or partial one.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!canvas.image().save(&encoded, "PNG")) {
        std::fprintf(stderr, "korvex-cli: %s: cannot encode the image\n", png.c_str());
        return 2;
    }
    const QByteArray& bytes = encoded.data();
    errno = 0;
    if (!replaceFileAtomically(png, std::string_view(bytes.constData(), size_t(bytes.size())))) {
        std::fprintf(stderr, "korvex-cli: %s: cannot write the image%s%s%s\n", png.c_str(), errno ? " (" : "",
                     errno ? std::strerror(errno) : "", errno ? ")" : "");
        return 2;
    }
    return 0;
}

} // namespace korvex::cli
