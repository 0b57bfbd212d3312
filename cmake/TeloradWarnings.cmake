# Our own targets are built with strict warnings; third-party code is not touched.
function(telorad_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
