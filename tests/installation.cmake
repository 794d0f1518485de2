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
        share/kaldron/aide/morvine.html share/kaldron/aide/linux.html
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

# --help et --version répondent sur le terminal, sans fenêtre ni serveur X.
foreach(programme kaldron morvine)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=QT_QPA_PLATFORM
                            ${PREFIXE}/bin/${programme} --help
                    RESULT_VARIABLE resultat OUTPUT_VARIABLE sortie ERROR_VARIABLE erreurs
                    TIMEOUT 20)
    if(NOT resultat EQUAL 0 OR NOT sortie MATCHES "^Usage : ${programme} .*--version")
        message(FATAL_ERROR "${programme} --help (${resultat}) :\n${sortie}${erreurs}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=QT_QPA_PLATFORM
                            ${PREFIXE}/bin/${programme} --version
                    RESULT_VARIABLE resultat OUTPUT_VARIABLE sortie TIMEOUT 20)
    if(NOT resultat EQUAL 0 OR NOT sortie MATCHES "^${programme} [0-9]+\\.[0-9]+\n$")
        message(FATAL_ERROR "${programme} --version (${resultat}) : ${sortie}")
    endif()
endforeach()

# Sans MORVINE à côté de lui (ni ailleurs), KALDRON se dit mal installé.
file(REMOVE ${PREFIXE}/bin/morvine)
execute_process(COMMAND ${CMAKE_COMMAND} -E env PATH=/nonexistent ${PREFIXE}/bin/kaldron --self-test
                RESULT_VARIABLE resultat OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
if(resultat EQUAL 0 OR NOT sortie MATCHES "Visualiseur MORVINE[^\n]*introuvable")
    message(FATAL_ERROR "kaldron --self-test sans MORVINE (${resultat}) :\n${sortie}")
endif()

# Les entrées de bureau ne réclament que ce que les programmes savent ouvrir.
file(READ ${PREFIXE}/share/applications/morvine.desktop entree)
string(REGEX MATCH "\nMimeType=[^\n]*" types "${entree}")
foreach(attendu text/plain image/png application/x-dbf application/msword)
    if(NOT types MATCHES "[=;]${attendu};")
        message(FATAL_ERROR "morvine.desktop ne réclame pas ${attendu} : ${types}")
    endif()
endforeach()
if(types MATCHES "octet-stream|application/\\*|[=;]image/\\*|[=;]text/\\*")
    message(FATAL_ERROR "morvine.desktop réclame trop large : ${types}")
endif()
file(READ ${PREFIXE}/share/applications/kaldron.desktop entree)
string(REGEX MATCH "\nMimeType=[^\n]*" types "${entree}")
if(NOT types STREQUAL "\nMimeType=inode/directory;")
    message(FATAL_ERROR "kaldron.desktop doit ouvrir les dossiers : ${types}")
endif()
