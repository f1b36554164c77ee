# kestrova_translation(<target> <qm name> <ts files...>)
# Compiles the .ts sources of one program into a single .qm in bin/translations.
function(kestrova_translation target qmname)
    set(qm ${KESTROVA_TRANSLATIONS_DIR}/${qmname})
    add_custom_command(OUTPUT ${qm}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTROVA_TRANSLATIONS_DIR}
        COMMAND Qt5::lrelease -silent ${ARGN} -qm ${qm}
        DEPENDS ${ARGN}
        COMMENT "Compiling ${qmname}")
    add_custom_target(${target}_translations ALL DEPENDS ${qm})
    add_dependencies(${target} ${target}_translations)
endfunction()

# Qt's own German catalogue: qt_de.qm only names the module catalogues and loads only
# when all of them sit beside it, so they travel with it.
set(_qt_tr_dir /usr/share/qt5/translations)
set(KESTROVA_QT_QM_FILES)
foreach(_f qt_de.qm qtbase_de.qm qtscript_de.qm qtmultimedia_de.qm qtxmlpatterns_de.qm)
    if(EXISTS ${_qt_tr_dir}/${_f})
        list(APPEND KESTROVA_QT_QM_FILES ${KESTROVA_TRANSLATIONS_DIR}/${_f})
        add_custom_command(OUTPUT ${KESTROVA_TRANSLATIONS_DIR}/${_f}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTROVA_TRANSLATIONS_DIR}
            COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_qt_tr_dir}/${_f} ${KESTROVA_TRANSLATIONS_DIR}/${_f}
            DEPENDS ${_qt_tr_dir}/${_f})
    endif()
endforeach()
add_custom_target(qt_translations ALL DEPENDS ${KESTROVA_QT_QM_FILES})
