# Warnings are errors on every compiler we build with; fix the code rather than silence a warning.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
