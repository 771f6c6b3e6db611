// libFuzzer target: any local user may write anything to the guard's pipe.
// Whatever the bytes, decoding never reads past them nor accepts more than the
// limits allow, a decoded message encodes back to the same bytes, and any
// answer the guard encodes (even from hostile lines) decodes again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/GuardPipe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const std::optional<GuardRequest> request = DecodeGuardRequest(bytes)) {
        if (EncodeGuardRequest(*request) != bytes) __builtin_trap();
    }
    if (const std::optional<GuardAnswer> answer = DecodeGuardAnswer(bytes)) {
        if (bytes.size() > kMaxGuardAnswerBytes || answer->lines.size() > kMaxGuardLines) {
            __builtin_trap();
        }
        if (EncodeGuardAnswer(*answer) != bytes) __builtin_trap();
    }
    // The input as the guard's own lines: its answer must stay within the decoder's limits.
    GuardAnswer lines{GuardAnswer::Kind::Lines, {}, {}};
    for (std::size_t start = 0; start <= bytes.size() && lines.lines.size() < 8;) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        lines.lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (!DecodeGuardAnswer(EncodeGuardAnswer(lines))) __builtin_trap();
    return 0;
}
