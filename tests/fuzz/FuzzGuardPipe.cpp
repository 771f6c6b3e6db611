// libFuzzer target: any local user may write anything to the guard's pipe.
// Whatever the bytes, decoding never reads past them nor accepts more than the
// limits allow, a decoded message encodes back to the same bytes, and any
// request a client encodes and any answer the guard encodes (even from hostile
// user names, lines and messages) decodes again to what was meant.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/GuardPipe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (const std::optional<GuardRequest> request = DecodeGuardRequest(bytes)) {
        if (bytes.size() > kMaxGuardRequestBytes) __builtin_trap();
        if (EncodeGuardRequest(*request) != bytes) __builtin_trap();
    }
    if (const std::optional<GuardAnswer> answer = DecodeGuardAnswer(bytes)) {
        if (bytes.size() > kMaxGuardAnswerBytes || answer->lines.size() > kMaxGuardLines) {
            __builtin_trap();
        }
        if (EncodeGuardAnswer(*answer) != bytes) __builtin_trap();
    }
    // The input as the guard's own lines, and as its error's message: its
    // answer must stay within the decoder's limits.
    GuardAnswer lines = GuardAnswer::Lines({});
    for (std::size_t start = 0; start <= bytes.size() && lines.lines.size() <= kMaxGuardLines;) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        lines.lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    if (!DecodeGuardAnswer(EncodeGuardAnswer(lines))) __builtin_trap();
    if (!DecodeGuardAnswer(EncodeGuardAnswer(GuardAnswer::Error(kGuardErrorFailed, bytes)))) {
        __builtin_trap();
    }
    // The input as an administrator's request: a method from the first byte, a
    // number from the next two, the rest the user name.
    if (size >= 3) {
        const GuardRequest request(
            static_cast<GuardMethod>(data[0] % 7), bytes.substr(3),
            static_cast<int>(data[1] << 8 | data[2]) * (data[0] & 0x80 ? 100 : 1) - 1000);
        const std::string encoded = EncodeGuardRequest(request);
        if (!encoded.empty() && !(DecodeGuardRequest(encoded) == request)) __builtin_trap();
    }
    return 0;
}
