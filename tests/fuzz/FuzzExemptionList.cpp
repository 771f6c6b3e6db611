// libFuzzer target: any Hourgate.ini and any login name give at most ten
// slots, and a category that is "guest" or the login name itself, never a name
// that leads out of the program directory. (ASan watches the slots' bounds.)
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/ExemptionList.h"
#include "core/ProgramDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');  // login name, NUL, list text
    const std::string login = input.substr(0, split);
    ExemptNameSlots names;
    int count = -1;
    ParseExemptionList(split == std::string::npos ? "" : input.substr(split + 1), names, count);
    if (count < 0 || count > kMaxExemptNames) __builtin_trap();
    const std::string category = ResolveUsageCategory(login, names, count, IsCp932LeadByte);
    if (category != "guest" && category != login) __builtin_trap();
    if (category != "guest" && (category == "." || category == ".." ||
                                category.find_first_of("/\\") != std::string::npos)) {
        __builtin_trap();
    }
    return 0;
}
