#include "platform/print/print_system.h"

#include <QPageSize>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cups/cups.h>
#include <dlfcn.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The print system's functions this file calls, found by name in its library.
#define PRINT_SYSTEM_FUNCTIONS(F)                                                                            \
    F(cupsAddIntegerOption)                                                                                  \
    F(cupsAddOption)                                                                                         \
    F(cupsCancelJob2)                                                                                        \
    F(cupsCopyDestInfo)                                                                                      \
    F(cupsCreateJob)                                                                                         \
    F(cupsEncryption)                                                                                        \
    F(cupsFindDestDefault)                                                                                   \
    F(cupsFinishDocument)                                                                                    \
    F(cupsFreeDestInfo)                                                                                      \
    F(cupsFreeDests)                                                                                         \
    F(cupsFreeOptions)                                                                                       \
    F(cupsGetDestMediaByName)                                                                                \
    F(cupsGetDestMediaDefault)                                                                               \
    F(cupsGetDests2)                                                                                         \
    F(cupsGetFd)                                                                                             \
    F(cupsGetNamedDest)                                                                                      \
    F(cupsGetOption)                                                                                         \
    F(cupsLastError)                                                                                         \
    F(cupsLastErrorString)                                                                                   \
    F(cupsServer)                                                                                            \
    F(cupsSetPasswordCB2)                                                                                    \
    F(cupsSetServer)                                                                                         \
    F(cupsStartDocument)                                                                                     \
    F(cupsWriteRequestData)                                                                                  \
    F(httpClose)                                                                                             \
    F(httpConnect2)                                                                                          \
    F(httpSetTimeout)                                                                                        \
    F(ippAttributeString)                                                                                    \
    F(ippGetCount)                                                                                           \
    F(ippGetInteger)                                                                                         \
    F(ippGetResolution)                                                                                      \
    F(ippGetString)                                                                                          \
    F(ippGetValueTag)                                                                                        \
    F(ippPort)                                                                                               \
    F(pwgMediaForSize)

struct PrintSystemFunctions {
#define PRINT_SYSTEM_FUNCTION(name) decltype(&::name) name;
    PRINT_SYSTEM_FUNCTIONS(PRINT_SYSTEM_FUNCTION)
#undef PRINT_SYSTEM_FUNCTION
};

// The print system's library costs the start several megabytes and milliseconds, and many never print: it
// is loaded when printing first needs it, on the worker that asks. Never unloaded nor freed: workers still
// inside it may run at exit. Null when the library or one of its functions is missing.
const PrintSystemFunctions* Cups() {
    static const PrintSystemFunctions* const functions = []() -> const PrintSystemFunctions* {
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library) return nullptr;
        auto loaded = std::make_unique<PrintSystemFunctions>();
        bool found = true;
#define PRINT_SYSTEM_FUNCTION(name)                                                                          \
    found = found && (loaded->name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)));
        PRINT_SYSTEM_FUNCTIONS(PRINT_SYSTEM_FUNCTION)
#undef PRINT_SYSTEM_FUNCTION
        return found ? loaded.release() : nullptr;
    }();
    return functions;
}

// A print server that accepts and then says nothing must not keep a worker for ever.
constexpr int kConnectMilliseconds = 10000;
constexpr double kAnswerSeconds = 60;

// Whether the print server asked this thread for a password. It never gets one: the print system's own
// question would go to the terminal, where nobody may be to answer, and hold the worker there.
thread_local bool passwordAsked = false;

const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
    passwordAsked = true;
    return nullptr;
}

// A connection of its own: the worker's, closed when it is done.
class Connection {
  public:
    Connection() {
        // The print system keeps the password question per thread.
        Cups()->cupsSetPasswordCB2(NoPassword, nullptr);
        passwordAsked = false;
        // To the server named now: a thread keeps the first one it was told, and the server may have moved.
        Cups()->cupsSetServer(nullptr);
        const char* server = Cups()->cupsServer();
        http_ = Cups()->httpConnect2(server, Cups()->ippPort(), nullptr, AF_UNSPEC, Cups()->cupsEncryption(),
                                     1, kConnectMilliseconds, nullptr);
        if (http_)
            Cups()->httpSetTimeout(
                http_, kAnswerSeconds, [](http_t*, void*) { return 0; }, nullptr);
    }
    ~Connection() { Cups()->httpClose(http_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    http_t* get() const { return http_; }

  private:
    http_t* http_ = nullptr;
};

struct DestsDeleter {
    int count;
    void operator()(cups_dest_t* dests) const { Cups()->cupsFreeDests(count, dests); }
};
struct InfoDeleter {
    void operator()(cups_dinfo_t* info) const { Cups()->cupsFreeDestInfo(info); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Made where told: a worker may still tell them while the process ends.
QString NotInstalled() {
    return QStringLiteral("The print system is not installed.");
}
QString Unreachable() {
    return QStringLiteral("The print system cannot be reached.");
}

// Why the print server refused the last request of this thread.
QString Refusal() {
    return passwordAsked ? QStringLiteral("the print server asks for a password.")
                         : QString::fromUtf8(Cups()->cupsLastErrorString());
}

// Why the print server did not create the job. For a printer it does not know it gives the words of a file
// error: it is asked whether it knows the printer.
QString NotCreated(http_t* http, const QString& printer) {
    const QString refusal = Refusal();
    cups_dest_t* known = Cups()->cupsGetNamedDest(http, printer.toUtf8().constData(), nullptr);
    if (known)
        Cups()->cupsFreeDests(1, known);
    else if (!passwordAsked && Cups()->cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
        return QStringLiteral("The print system does not know the printer %1.").arg(printer);
    return QStringLiteral("The printer %1 did not take the job: %2").arg(printer, refusal);
}

// Sizes and borders come in hundredths of a millimetre.
double Inches(int hundredthsOfMm) {
    return hundredthsOfMm / 2540.0;
}

void ReadResolution(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, PrinterFacts& facts) {
    ipp_attribute_t* resolution = Cups()->cupsFindDestDefault(http, dest, info, "printer-resolution");
    if (!resolution || Cups()->ippGetValueTag(resolution) != IPP_TAG_RESOLUTION) return;
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int x = Cups()->ippGetResolution(resolution, 0, &y, &units);
    const int dpi = units == IPP_RES_PER_CM ? static_cast<int>(x * 2.54 + 0.5) : x;
    if (dpi >= 72 && dpi <= 9600) facts.Dpi = dpi;
}

void ReadPaper(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, PrinterFacts& facts) {
    // The printer's own default: the client's default media answers the client's locale instead.
    ipp_attribute_t* media = Cups()->cupsFindDestDefault(http, dest, info, CUPS_MEDIA);
    const char* name = media ? Cups()->ippGetString(media, 0, nullptr) : nullptr;
    cups_size_t size{};
    const bool found = name ? Cups()->cupsGetDestMediaByName(http, dest, info, name, 0, &size)
                            : Cups()->cupsGetDestMediaDefault(http, dest, info, 0, &size);
    if (!found || size.width <= 0 || size.length <= 0) return;
    const QSizeF inches(Inches(size.width), Inches(size.length));
    const QPageSize page(inches, QPageSize::Inch, QString(), QPageSize::FuzzyMatch);
    facts.DefaultPaper = {page.windowsId(), inches};
    facts.UnprintableInches =
        QMarginsF(Inches(size.left), Inches(size.top), Inches(size.right), Inches(size.bottom));
    ipp_attribute_t* orientation = Cups()->cupsFindDestDefault(http, dest, info, "orientation-requested");
    if (orientation && Cups()->ippGetValueTag(orientation) == IPP_TAG_ENUM &&
        (Cups()->ippGetInteger(orientation, 0) == IPP_ORIENT_LANDSCAPE ||
         Cups()->ippGetInteger(orientation, 0) == IPP_ORIENT_REVERSE_LANDSCAPE))
        facts.DefaultOrientation = PrintOrientation::Landscape;
}

// The print system's filters turn landscape pages counter-clockwise onto the sheet where the printer's
// description says Plus90, and clockwise else; the print server tells it nowhere else, so a printer without a
// description is Unknown. A description of any length goes through a file read a line at a time.
LandscapeTurn ReadTurn(http_t* http, const char* printer) {
    const std::unique_ptr<std::FILE, FileCloser> description(std::tmpfile());
    const std::string resource = std::string("/printers/") + printer + ".ppd";
    if (!description ||
        Cups()->cupsGetFd(http, resource.c_str(), ::fileno(description.get())) != HTTP_STATUS_OK)
        return LandscapeTurn::Unknown;
    std::rewind(description.get());
    constexpr std::string_view key = "*LandscapeOrientation:";
    char line[256];
    while (std::fgets(line, sizeof line, description.get()))
        if (std::string_view(line).starts_with(key))
            return QByteArray(line + key.size()).trimmed() == "Plus90" ? LandscapeTurn::CounterClockwise
                                                                       : LandscapeTurn::Clockwise;
    return LandscapeTurn::Clockwise;
}

// A description may run to megabytes and is asked for each printer at every lookup, which Print may wait for:
// each queue's turn is kept for the process, and read again when its make and model, and so its description,
// change.
LandscapeTurn TurnOf(http_t* http, cups_dest_t* dest) {
    struct Known {
        std::mutex lock;
        std::map<std::string, LandscapeTurn> turns;
    };
    static auto* const known = new Known; // never destroyed: workers may use it at exit
    const char* model = Cups()->cupsGetOption("printer-make-and-model", dest->num_options, dest->options);
    const std::string key = std::string(dest->name) + '\n' + (model ? model : "");
    {
        const std::lock_guard guard(known->lock);
        if (const auto found = known->turns.find(key); found != known->turns.end()) return found->second;
    }
    const LandscapeTurn turn = ReadTurn(http, dest->name);
    // Unknown may be a description that failed to come this time: it is asked for again.
    if (turn != LandscapeTurn::Unknown) {
        const std::lock_guard guard(known->lock);
        known->turns.insert_or_assign(key, turn);
    }
    return turn;
}

// The printer's default for a job's option as the print system's list of printers words it: enums as numbers.
std::string DefaultText(ipp_attribute_t* value) {
    if (Cups()->ippGetValueTag(value) != IPP_TAG_ENUM) {
        char text[1024];
        Cups()->ippAttributeString(value, text, sizeof text);
        return text;
    }
    std::string text;
    for (int i = 0; i < Cups()->ippGetCount(value); ++i) {
        if (i) text += ',';
        text += std::to_string(Cups()->ippGetInteger(value, i));
    }
    return text;
}

// What the list of printers tells of a printer itself beside the options: its description (of whose names
// printer-resolution alone is a job's option) and the server's time limit for jobs.
bool DescribesThePrinter(std::string_view name) {
    return (name.starts_with("printer-") && name != "printer-resolution") || name.starts_with("marker-") ||
           name == "device-uri" || name == "auth-info-required" || name == "job-cancel-after";
}

// The options the user saved for the printer in the destination given, the printer or an instance of it. The
// list of printers mixes them with the server's description of the printer and the printer's defaults for
// jobs: an option that repeats the printer's default would change nothing, and is left to the server.
PrintSystemOptions ReadSavedOptions(http_t* http, cups_dest_t* dest, cups_dinfo_t* info,
                                    const cups_dest_t& saved) {
    PrintSystemOptions options;
    for (int i = 0; i < saved.num_options; ++i) {
        const cups_option_t& option = saved.options[i];
        if (DescribesThePrinter(option.name)) continue;
        ipp_attribute_t* fallback = Cups()->cupsFindDestDefault(http, dest, info, option.name);
        if (!fallback || DefaultText(fallback) != option.value) options.emplace(option.name, option.value);
    }
    return options;
}

PrinterFacts ReadFacts(http_t* http, cups_dest_t* dest, const cups_dest_t& saved) {
    PrinterFacts facts{QString::fromUtf8(dest->name)};
    if (const char* type = Cups()->cupsGetOption("printer-type", dest->num_options, dest->options))
        facts.Color = (std::strtol(type, nullptr, 10) & CUPS_PRINTER_COLOR) != 0;
    facts.Turn = TurnOf(http, dest);
    const std::unique_ptr<cups_dinfo_t, InfoDeleter> info(Cups()->cupsCopyDestInfo(http, dest));
    if (!info) return facts;
    ReadResolution(http, dest, info.get(), facts);
    ReadPaper(http, dest, info.get(), facts);
    facts.SavedOptions = ReadSavedOptions(http, dest, info.get(), saved);
    return facts;
}

const char* SidesOf(PrintDuplex duplex) {
    switch (duplex) {
    case PrintDuplex::LongSide:
        return CUPS_SIDES_TWO_SIDED_PORTRAIT;
    case PrintDuplex::ShortSide:
        return CUPS_SIDES_TWO_SIDED_LANDSCAPE;
    case PrintDuplex::None:
        break;
    }
    return CUPS_SIDES_ONE_SIDED;
}

// What an option the user saved is about: the pages, which the program made final (which of them, their
// order, size, place, turn and grouping on the sheet), or an option the program may set itself.
enum class SavedAbout { Pages, Copies, Collating, Sides, Colour };

// Saved options about what the program decides, under the names the print system, its filters and printers'
// descriptions give them: the print server lets a description's own name win over the program's, so a saved
// option goes by what it means. The server takes names in any capitals. A constant a worker may still read at
// exit.
constexpr std::pair<std::string_view, SavedAbout> kSavedAbout[] = {
    {"media", SavedAbout::Pages},
    {"media-col", SavedAbout::Pages},
    {"PageSize", SavedAbout::Pages},
    {"PageRegion", SavedAbout::Pages},
    {"orientation-requested", SavedAbout::Pages},
    {"landscape", SavedAbout::Pages},
    {"fit-to-page", SavedAbout::Pages},
    {"fitplot", SavedAbout::Pages},
    {"print-scaling", SavedAbout::Pages},
    {"scaling", SavedAbout::Pages},
    {"natural-scaling", SavedAbout::Pages},
    {"ppi", SavedAbout::Pages},
    {"position", SavedAbout::Pages},
    {"page-border", SavedAbout::Pages},
    {"number-up", SavedAbout::Pages},
    {"number-up-layout", SavedAbout::Pages},
    {"mirror", SavedAbout::Pages},
    {"MirrorPrint", SavedAbout::Pages},
    {"booklet", SavedAbout::Pages},
    {"page-ranges", SavedAbout::Pages},
    {"page-set", SavedAbout::Pages},
    {"outputorder", SavedAbout::Pages},
    {"page-delivery", SavedAbout::Pages},
    {"page-left", SavedAbout::Pages},
    {"page-right", SavedAbout::Pages},
    {"page-top", SavedAbout::Pages},
    {"page-bottom", SavedAbout::Pages},
    {"copies", SavedAbout::Copies},
    {"multiple-document-handling", SavedAbout::Collating},
    {"Collate", SavedAbout::Collating},
    {"sides", SavedAbout::Sides},
    {"Duplex", SavedAbout::Sides},
    {"EFDuplex", SavedAbout::Sides},
    {"EFDuplexing", SavedAbout::Sides},
    {"KD03Duplex", SavedAbout::Sides},
    {"JCLDuplex", SavedAbout::Sides},
    {"print-color-mode", SavedAbout::Colour},
    {"output-mode", SavedAbout::Colour},
    {"ColorModel", SavedAbout::Colour},
};

// Option names are ASCII, compared by ASCII's capitals alone: a locale's rules may lower I to another letter.
bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

// Whether the job says itself what a saved option is about.
bool JobDecides(SavedAbout about, const PrinterJobOptions& options) {
    switch (about) {
    case SavedAbout::Pages:
    case SavedAbout::Copies:
        return true;
    case SavedAbout::Collating:
        return options.Copies > 1;
    case SavedAbout::Sides:
        return options.Duplex.has_value();
    case SavedAbout::Colour:
        return options.Monochrome.has_value();
    }
    return true;
}

// The job's options in the print system's words: the user's saved ones where the job says nothing of what
// they are about, then those of the program; what nobody chose is left to the printer. Freed by the caller.
int OptionsOf(const PrintJob& job, cups_option_t** options) {
    int count = 0;
    for (const auto& [name, value] : job.SavedOptions) {
        const auto about =
            std::find_if(std::begin(kSavedAbout), std::end(kSavedAbout),
                         [&saved = name](const auto& entry) { return SameName(entry.first, saved); });
        if (about == std::end(kSavedAbout) || !JobDecides(about->second, job.Options))
            count = Cups()->cupsAddOption(name.c_str(), value.c_str(), count, options);
    }
    // The pages already have their shape: no orientation saved or set on the printer turns them.
    count = Cups()->cupsAddOption(CUPS_ORIENTATION, CUPS_ORIENTATION_PORTRAIT, count, options);
    const QPageSize sheet = PageSizeFor(job.Sheet);
    if (sheet.isValid()) {
        const QSizeF mm = sheet.size(QPageSize::Millimeter);
        if (pwg_media_t* media = Cups()->pwgMediaForSize(static_cast<int>(mm.width() * 100 + 0.5),
                                                         static_cast<int>(mm.height() * 100 + 0.5)))
            count = Cups()->cupsAddOption(CUPS_MEDIA, media->pwg, count, options);
    }
    // The copies the user was shown, not the printer's default.
    count = Cups()->cupsAddIntegerOption(CUPS_COPIES, job.Options.Copies, count, options);
    if (job.Options.Copies > 1)
        count = Cups()->cupsAddOption("multiple-document-handling",
                                      job.Options.Collate ? "separate-documents-collated-copies"
                                                          : "separate-documents-uncollated-copies",
                                      count, options);
    if (job.Options.Duplex)
        count = Cups()->cupsAddOption(CUPS_SIDES, SidesOf(*job.Options.Duplex), count, options);
    if (job.Options.Monochrome)
        count = Cups()->cupsAddOption(CUPS_PRINT_COLOR_MODE,
                                      *job.Options.Monochrome ? CUPS_PRINT_COLOR_MODE_MONOCHROME
                                                              : CUPS_PRINT_COLOR_MODE_COLOR,
                                      count, options);
    return count;
}

} // namespace

PrinterList AskPrintSystem() {
    if (!Cups()) return {{}, {}, NotInstalled()};
    const Connection connection;
    if (!connection.get()) return {{}, {}, Unreachable()};
    PrinterList list;
    cups_dest_t* dests = nullptr;
    const int count = Cups()->cupsGetDests2(connection.get(), &dests);
    const std::unique_ptr<cups_dest_t, DestsDeleter> owned(dests, DestsDeleter{count});
    const cups_dest_t* const byDefault =
        std::find_if(dests, dests + count, [](const cups_dest_t& dest) { return dest.is_default != 0; });
    for (int i = 0; i < count; ++i) {
        cups_dest_t* dest = &dests[i];
        if (dest->instance) continue; // a saved set of options, not a printer of its own
        // The default may be an instance of the printer, whose options then go with its jobs.
        const bool isDefault = byDefault != dests + count && std::strcmp(byDefault->name, dest->name) == 0;
        list.Printers.push_back(ReadFacts(connection.get(), dest, isDefault ? *byDefault : *dest));
        if (isDefault) list.DefaultPrinter = list.Printers.back().Name;
    }
    return list;
}

QString SpoolToPrintSystem(const PrintJob& job, const std::function<bool()>& mayHandIn) {
    if (!Cups()) return NotInstalled();
    const Connection connection;
    if (!connection.get()) return Unreachable();
    http_t* http = connection.get();
    const QByteArray printer = job.Printer.toUtf8(), title = job.Title.toUtf8();
    cups_option_t* options = nullptr;
    const int optionCount = OptionsOf(job, &options);
    const int id = Cups()->cupsCreateJob(http, printer.constData(), title.constData(), optionCount, options);
    Cups()->cupsFreeOptions(optionCount, options);
    if (id == 0) return NotCreated(http, job.Printer);
    // A job without its document prints nothing; from here on its pages go in.
    if (!mayHandIn()) {
        Cups()->cupsCancelJob2(http, printer.constData(), id, 0);
        return {};
    }
    const bool sent =
        Cups()->cupsStartDocument(http, printer.constData(), id, title.constData(), CUPS_FORMAT_PDF, 1) ==
            HTTP_STATUS_CONTINUE &&
        Cups()->cupsWriteRequestData(http, job.Pdf.constData(), static_cast<size_t>(job.Pdf.size())) ==
            HTTP_STATUS_CONTINUE;
    if (!sent || Cups()->cupsFinishDocument(http, printer.constData()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        const QString reason = Refusal();
        // Nothing partial: a job whose document did not go in whole is taken back.
        const Connection again;
        if (again.get()) Cups()->cupsCancelJob2(again.get(), printer.constData(), id, 0);
        return QStringLiteral("The printer %1 did not take the job: %2").arg(job.Printer, reason);
    }
    return {};
}
