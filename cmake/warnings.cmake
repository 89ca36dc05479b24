# One switch for strict warnings, applied to every target of the project.
function(tarvik_strict_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow
                                                 -Wnon-virtual-dtor -Wold-style-cast)
    endif()
endfunction()
