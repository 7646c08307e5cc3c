// Validation of a typed frequency against the band, with the band-edge substitution.
#include "codec/freq.h"
#include "codec/numbers.h"

namespace zt {

namespace {

constexpr int kMsgOutOfBand = 9021;

void ReportOutOfBand(const AppState& app) {
    if (app.prompter)
        app.prompter->ask(app.LangText(kMsgOutOfBand), Icon::Warning, Buttons::Ok);
}

} // namespace

std::string CheckFrequency(const AppState& app, std::string_view value, int group) {
    const auto v = ParseNumber(value);
    if (!v) {
        ReportOutOfBand(app);
        return FormatFixed5(app.BandLow);
    }
    if (*v < app.BandLow) {
        ReportOutOfBand(app);
        return FormatFixed5(app.BandLow);
    }
    if (*v > app.BandHigh) {
        ReportOutOfBand(app);
        return FormatFixed5(app.BandHigh);
    }
    return FormatFixed5(SnapFrequency(app, *v, group));
}

} // namespace zt
