# Warning and sanitizer settings, as interface targets that every target of the
# project links.

add_library(namorel_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(namorel_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Woverloaded-virtual)
    if(NAMOREL_WERROR)
        target_compile_options(namorel_warnings INTERFACE -Werror)
    endif()
elseif(MSVC)
    target_compile_options(namorel_warnings INTERFACE /W4 /permissive-)
    if(NAMOREL_WERROR)
        target_compile_options(namorel_warnings INTERFACE /WX)
    endif()
endif()
target_compile_definitions(namorel_warnings INTERFACE
    QT_NO_CONTEXTLESS_CONNECT QT_NO_CAST_FROM_ASCII QT_NO_URL_CAST_FROM_STRING)

add_library(namorel_sanitizers INTERFACE)
if(NAMOREL_SANITIZERS)
    list(JOIN NAMOREL_SANITIZERS "," _namorel_sanitize)
    target_compile_options(namorel_sanitizers INTERFACE
        -fsanitize=${_namorel_sanitize} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(namorel_sanitizers INTERFACE -fsanitize=${_namorel_sanitize})
endif()

# Fuzzing: every target gets the coverage instrumentation that libFuzzer follows; the fuzz targets link libFuzzer.
if(NAMOREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "NAMOREL_FUZZ needs clang (libFuzzer); use the fuzz preset")
    endif()
    target_compile_options(namorel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
    target_link_options(namorel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()

add_library(namorel_options INTERFACE)
target_link_libraries(namorel_options INTERFACE namorel_warnings namorel_sanitizers)
