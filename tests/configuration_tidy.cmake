# Garde de la configuration clang-tidy, sans lancer clang-tidy (trop lent pour
# la suite) : chaque vérification écartée dans .clang-tidy a sa ligne de
# raison « # -nom : raison », aucune raison ne traîne sans vérification
# écartée, et chaque NOLINT du code nomme ses vérifications et dit pourquoi.
#   cmake -DRACINE=<arbre source> -P configuration_tidy.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT RACINE)
    message(FATAL_ERROR "RACINE manque")
endif()

file(STRINGS "${RACINE}/.clang-tidy" lignes)
set(dans_checks FALSE)
set(ecartees)
set(raisons)
set(fautes)
foreach(ligne IN LISTS lignes)
    if(ligne MATCHES "^# (-[A-Za-z0-9.*-]+) : (.*)$")
        string(STRIP "${CMAKE_MATCH_2}" raison)
        if(raison STREQUAL "")
            list(APPEND fautes "raison vide pour ${CMAKE_MATCH_1}")
        endif()
        list(APPEND raisons "${CMAKE_MATCH_1}")
    elseif(ligne MATCHES "^Checks:")
        set(dans_checks TRUE)
    elseif(dans_checks AND ligne MATCHES "^  ")
        string(STRIP "${ligne}" entree)
        string(REGEX REPLACE ",$" "" entree "${entree}")
        if(entree MATCHES "#")
            # Un « # » dans la liste n'est pas un commentaire YAML : il
            # deviendrait un motif de vérification.
            list(APPEND fautes "commentaire dans la liste Checks : ${entree}")
        elseif(entree MATCHES "^-" AND NOT entree STREQUAL "-*")
            list(APPEND ecartees "${entree}")
        endif()
    else()
        set(dans_checks FALSE)
    endif()
endforeach()

if(NOT ecartees)
    list(APPEND fautes "aucune vérification écartée lue : liste Checks introuvable ?")
endif()
foreach(v IN LISTS ecartees)
    if(NOT v IN_LIST raisons)
        list(APPEND fautes "${v} écartée sans raison")
    endif()
endforeach()
foreach(r IN LISTS raisons)
    if(NOT r IN_LIST ecartees)
        list(APPEND fautes "raison pour ${r}, qui n'est pas écartée")
    endif()
endforeach()

# NOLINT permis seulement avec ses vérifications et sa raison sur la ligne.
file(GLOB_RECURSE sources "${RACINE}/src/*.cpp" "${RACINE}/src/*.h" "${RACINE}/tests/*.cpp"
     "${RACINE}/tests/*.h" "${RACINE}/bench/*.cpp" "${RACINE}/bench/*.h" "${RACINE}/fuzz/*.cpp"
     "${RACINE}/fuzz/*.h")
foreach(source IN LISTS sources)
    # Les « ; » du C++ couperaient les lignes en éléments de liste CMake.
    file(READ "${source}" contenu)
    string(REPLACE ";" "," contenu "${contenu}")
    string(REGEX MATCHALL "[^\n]*NOLINT[^\n]*" marques "${contenu}")
    foreach(m IN LISTS marques)
        if(NOT m MATCHES "NOLINT(NEXTLINE|BEGIN|END)?\\([a-z][^)]*\\)[ :,;.-]*[^ :,;.-][^ ]*[ ]+[^ ]")
            file(RELATIVE_PATH relatif "${RACINE}" "${source}")
            list(APPEND fautes "${relatif} : NOLINT sans vérification nommée ou sans raison : ${m}")
        endif()
    endforeach()
endforeach()

if(fautes)
    list(JOIN fautes "\n  " texte)
    message(FATAL_ERROR "Configuration clang-tidy :\n  ${texte}")
endif()
list(LENGTH ecartees n)
message(STATUS "clang-tidy : ${n} vérifications écartées, chacune avec sa raison")
