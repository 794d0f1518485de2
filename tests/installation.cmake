# Installe la construction dans un préfixe jetable et vérifie ce qu'un
# utilisateur y trouve (programmes, aide, entrées de bureau, icônes), puis
# que les deux programmes se contrôlent depuis là.
file(REMOVE_RECURSE ${PREFIXE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${CONSTRUCTION} --prefix ${PREFIXE}
                RESULT_VARIABLE resultat OUTPUT_QUIET)
if(NOT resultat EQUAL 0)
    message(FATAL_ERROR "cmake --install a échoué (${resultat})")
endif()

foreach(fichier bin/kaldron bin/morvine
        share/kaldron/aide/index.html share/kaldron/aide/principale.html
        share/applications/kaldron.desktop share/applications/morvine.desktop
        share/icons/hicolor/scalable/apps/kaldron.svg share/icons/hicolor/scalable/apps/morvine.svg
        share/icons/hicolor/64x64/apps/kaldron.png share/icons/hicolor/64x64/apps/morvine.png)
    if(NOT EXISTS ${PREFIXE}/${fichier})
        message(FATAL_ERROR "absent après installation : ${fichier}")
    endif()
endforeach()

# Chaque entrée de bureau lance le programme installé avec son icône.
foreach(programme kaldron morvine)
    file(STRINGS ${PREFIXE}/share/applications/${programme}.desktop lignes)
    foreach(attendu "Exec=${programme}" "Icon=${programme}" "Type=Application")
        string(FIND "${lignes}" "${attendu}" position)
        if(position EQUAL -1)
            message(FATAL_ERROR "${programme}.desktop sans « ${attendu} »")
        endif()
    endforeach()
    execute_process(COMMAND ${PREFIXE}/bin/${programme} --self-test
                    RESULT_VARIABLE resultat OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
    if(NOT resultat EQUAL 0)
        message(FATAL_ERROR "${programme} --self-test depuis l'installation :\n${sortie}")
    endif()
endforeach()
