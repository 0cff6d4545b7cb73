# Every target of the project links ambertap_options for its warning and
# sanitizer flags; the stand-in driver, built on its own for the wow64
# machine, takes the same from here.
add_library(ambertap_options INTERFACE)
target_compile_options(ambertap_options INTERFACE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wformat=2
    $<$<BOOL:${AMBERTAP_WERROR}>:-Werror>)
if(AMBERTAP_SANITIZE)
    target_compile_options(ambertap_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(ambertap_options INTERFACE -fsanitize=address,undefined)
endif()
