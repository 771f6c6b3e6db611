# Flags shared by every target of ours (not by third-party code such as GoogleTest).
function(hourgate_apply_flags target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(HOURGATE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(WIN32)
        # Source literals are UTF-8; the program's narrow text is code page 932.
        target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
        target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
                                                     _WIN32_WINNT=0x0601)
    endif()
endfunction()

if(HOURGATE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
    # One self-contained exe: no MinGW runtime DLLs to ship. Everything static
    # also brings in what nobody calls; a section per function lets the linker
    # drop it.
    add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
    add_compile_options(-ffunction-sections -fdata-sections)
endif()
