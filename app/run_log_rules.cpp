#include "app/run_log_rules.h"

#include "fw/bounded_text.h"

namespace {

// |value| in exactly |width| decimal digits, zeros in front (the highest digits dropped when it
// has more).
void AddDigits(BoundedText* text, unsigned value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    text->Add(digits, static_cast<size_t>(width));
}

}  // namespace

int ExitCodeOf(const StageResult& result) {
    if (result.ok()) return kExitInstalled;
    return result.code == StageCode::kUserAbort ? kExitCancelled : kExitFailed;
}

bool FormatLogLine(const LogTime& time, const char* text, char* out, size_t cap) {
    BoundedText line(out, cap);
    AddDigits(&line, time.year, 4);
    line.Add("-");
    AddDigits(&line, time.month, 2);
    line.Add("-");
    AddDigits(&line, time.day, 2);
    line.Add(" ");
    AddDigits(&line, time.hour, 2);
    line.Add(":");
    AddDigits(&line, time.minute, 2);
    line.Add(":");
    AddDigits(&line, time.second, 2);
    line.Add(".");
    AddDigits(&line, time.millisecond, 3);
    line.Add(" ");
    for (const char* at = text; *at; ++at) line.Add(*at == '\r' || *at == '\n' ? " " : at, 1);
    line.Add("\r\n");
    return line.Fits();
}
