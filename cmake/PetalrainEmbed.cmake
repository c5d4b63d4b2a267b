# petalrain_embed_file(<input> <output.cpp> <symbol>)
# Compiles a file's bytes into the program: `extern const unsigned char <symbol>[]`
# and `extern const unsigned long <symbol>Size`.
function(petalrain_embed_file input output symbol)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    VERBATIM)
endfunction()
