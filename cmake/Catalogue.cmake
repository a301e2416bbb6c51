# The message catalogues: each po/LL.po of po/LINGUAS is checked against the
# template po/tarnwell.pot and compiled with msgfmt on the build machine (for
# the cross builds too), the pseudo-language en@pseudo is made from the
# English one, and all of them become data in a generated source, so that
# the programs need no gettext library and no files beside them.
find_program(TARNWELL_MSGFMT msgfmt REQUIRED)
find_program(TARNWELL_MSGEN msgen REQUIRED)
find_program(TARNWELL_PYTHON3 python3 REQUIRED)

# tarnwell_catalogues(OUTPUT FUNCTION TEMPLATE PO_DIR LANGUAGES... [PSEUDO])
# Makes OUTPUT, a source defining tarnwell::FUNCTION() that returns the
# compiled catalogues of PO_DIR/LL.po for each LL in LANGUAGES, plus
# en@pseudo when PSEUDO is given (made from PO_DIR/en.po).
function(tarnwell_catalogues output function template po_dir)
  cmake_parse_arguments(PARSE_ARGV 4 arg "PSEUDO" "" "LANGUAGES")
  set(tool ${PROJECT_SOURCE_DIR}/cmake/catalogue.py)
  get_filename_component(name ${output} NAME_WE)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name})
  file(MAKE_DIRECTORY ${work})
  set(catalogues "")
  set(mos "")
  foreach(language IN LISTS arg_LANGUAGES)
    add_custom_command(OUTPUT ${work}/${language}.mo
      COMMAND ${TARNWELL_PYTHON3} ${tool} check ${template} ${po_dir}/${language}.po
              ${work}/${language}.mo
      DEPENDS ${tool} ${template} ${po_dir}/${language}.po
      COMMENT "Checking and compiling ${language}.po"
      VERBATIM)
    list(APPEND catalogues "${language}=${work}/${language}.mo")
    list(APPEND mos ${work}/${language}.mo)
  endforeach()
  if(arg_PSEUDO)
    add_custom_command(OUTPUT ${work}/en@pseudo.mo
      COMMAND ${TARNWELL_MSGEN} --output-file=${work}/en-full.po ${po_dir}/en.po
      COMMAND ${TARNWELL_MSGFMT} --output-file=${work}/en-full.mo ${work}/en-full.po
      COMMAND ${TARNWELL_PYTHON3} ${tool} pseudo ${work}/en-full.mo ${work}/en@pseudo.po
      COMMAND ${TARNWELL_MSGFMT} --check --output-file=${work}/en@pseudo.mo ${work}/en@pseudo.po
      DEPENDS ${tool} ${work}/en.mo
      COMMENT "Making the pseudo-language en@pseudo"
      VERBATIM)
    list(APPEND catalogues "en@pseudo=${work}/en@pseudo.mo")
    list(APPEND mos ${work}/en@pseudo.mo)
  endif()
  # "|" between the catalogues: a list would become several arguments.
  string(REPLACE ";" "|" catalogues "${catalogues}")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DFUNCTION=${function}
            "-DCATALOGUES=${catalogues}" -P ${PROJECT_SOURCE_DIR}/cmake/EmbedCatalogues.cmake
    DEPENDS ${mos} ${PROJECT_SOURCE_DIR}/cmake/EmbedCatalogues.cmake
    COMMENT "Embedding the catalogues in ${name}"
    VERBATIM)
endfunction()

# The languages with a catalogue: po/LINGUAS, one code a line, the one list.
file(STRINGS ${PROJECT_SOURCE_DIR}/po/LINGUAS tarnwell_languages REGEX "^[^#]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/LINGUAS)
