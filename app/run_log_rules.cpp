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
    // yyyy-mm-dd hh:mm:ss.mmm, then a space: each field with its width and the mark after it.
    const struct {
        unsigned value;
        int width;
        const char* after;
    } stamp[] = {{time.year, 4, "-"},   {time.month, 2, "-"},  {time.day, 2, " "},         {time.hour, 2, ":"},
                 {time.minute, 2, ":"}, {time.second, 2, "."}, {time.millisecond, 3, " "}};
    BoundedText line(out, cap);
    for (const auto& field : stamp) {
        AddDigits(&line, field.value, field.width);
        line.Add(field.after);
    }
    for (const char* at = text; *at; ++at) line.Add(*at == '\r' || *at == '\n' ? " " : at, 1);
    line.Add("\r\n");
    return line.Fits();
}
