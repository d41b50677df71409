# Writes the text of INPUT into OUTPUT as `extern const std::string_view NAME` in namespace
# quillo::service, so that a data file of the repository ships inside the program.
file(READ "${INPUT}" content)
file(WRITE "${OUTPUT}" "#include <string_view>\nnamespace quillo::service {\nextern const std::string_view ${NAME};\nconst std::string_view ${NAME} = R\"quillo_data(${content})quillo_data\";\n}\n")
