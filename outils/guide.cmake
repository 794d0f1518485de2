# Guide de l'utilisateur : une seule page faite des pages d'aide que montre
# KALDRON (doc/aide), dans l'ordre du sommaire. Les liens entre pages
# deviennent des liens internes « page-ancre ».
#   cmake -DAIDE=doc/aide -DSORTIE=doc/guide-utilisateur.html -P outils/guide.cmake
# Avec -DCOMPARER=<guide commité>, vérifie en plus que celui-ci est à jour.
cmake_minimum_required(VERSION 3.25)
if(NOT AIDE OR NOT SORTIE)
    message(FATAL_ERROR "Usage : cmake -DAIDE=<pages> -DSORTIE=<fichier> -P guide.cmake")
endif()

# Corps d'une page, ancres et liens réécrits pour vivre dans une seule page.
function(corps_page page resultat)
    file(READ "${AIDE}/${page}.html" texte)
    string(FIND "${texte}" "<body>" debut)
    string(FIND "${texte}" "</body>" fin)
    if(debut EQUAL -1 OR fin EQUAL -1)
        message(FATAL_ERROR "${page}.html : pas de <body>")
    endif()
    math(EXPR debut "${debut} + 6")
    math(EXPR longueur "${fin} - ${debut}")
    string(SUBSTRING "${texte}" ${debut} ${longueur} texte)
    # Le bandeau de navigation de chaque page n'a plus de sens ici.
    string(REGEX REPLACE "<p><a href=\"index\\.html\">Sommaire</a>[^\n]*</p>\n" "" texte "${texte}")
    string(REGEX REPLACE "name=\"([^\"]*)\"" "name=\"${page}-\\1\"" texte "${texte}")
    string(REGEX REPLACE "href=\"#([^\"]*)\"" "href=\"#${page}-\\1\"" texte "${texte}")
    string(REGEX REPLACE "href=\"([a-z]+)\\.html#([^\"]*)\"" "href=\"#\\1-\\2\"" texte "${texte}")
    string(REGEX REPLACE "href=\"([a-z]+)\\.html\"" "href=\"#\\1\"" texte "${texte}")
    # Les titres descendent d'un niveau sous le titre du guide.
    string(REGEX REPLACE "<(/?)h3>" "<\\1h4>" texte "${texte}")
    string(REGEX REPLACE "<(/?)h2>" "<\\1h3>" texte "${texte}")
    string(REGEX REPLACE "<(/?)h1>" "<\\1h2>" texte "${texte}")
    set(${resultat} "<div class=\"page\"><a name=\"${page}\"></a>\n${texte}</div>\n" PARENT_SCOPE)
endfunction()

# L'ordre des pages est celui du sommaire ; une page absente du sommaire
# serait perdue pour le lecteur : c'est une erreur.
file(READ "${AIDE}/index.html" sommaire)
string(REGEX MATCHALL "<li><a href=\"[a-z]+\\.html\">" liens "${sommaire}")
set(pages index)
foreach(lien ${liens})
    string(REGEX REPLACE "<li><a href=\"([a-z]+)\\.html\">" "\\1" page "${lien}")
    list(APPEND pages ${page})
endforeach()
file(GLOB fichiers RELATIVE "${AIDE}" "${AIDE}/*.html")
foreach(fichier ${fichiers})
    string(REGEX REPLACE "\\.html$" "" page "${fichier}")
    if(NOT page IN_LIST pages)
        message(FATAL_ERROR "${fichier} n'est pas dans le sommaire de l'aide")
    endif()
endforeach()

set(guide "<!DOCTYPE html>
<html lang=\"fr\">
<head>
<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">
<title>KALDRON - Guide de l'utilisateur</title>
</head>
<body>
<h1>KALDRON - Guide de l'utilisateur</h1>
<p>Ce guide réunit les pages d'aide que KALDRON montre par F1 ou par le bouton « ? ».
Il est produit à partir d'elles par <code>outils/guide.cmake</code> : ne le modifiez pas à la
main, modifiez les pages de <code>doc/aide/</code>.</p>
")
foreach(page ${pages})
    corps_page(${page} corps)
    string(APPEND guide "\n${corps}")
endforeach()
string(APPEND guide "</body>\n</html>\n")

# Tout lien interne doit mener à une ancre du guide.
string(REGEX MATCHALL "href=\"#[^\"]*\"" cibles "${guide}")
foreach(cible ${cibles})
    string(REGEX REPLACE "href=\"#([^\"]*)\"" "\\1" ancre "${cible}")
    string(FIND "${guide}" "name=\"${ancre}\"" trouve)
    if(trouve EQUAL -1)
        message(FATAL_ERROR "lien sans ancre dans le guide : #${ancre}")
    endif()
endforeach()
file(WRITE "${SORTIE}" "${guide}")
if(COMPARER)
    file(READ "${COMPARER}" commite)
    if(NOT commite STREQUAL guide)
        message(FATAL_ERROR "${COMPARER} ne suit plus les pages d'aide : refaites-le par "
                            "cmake -DAIDE=doc/aide -DSORTIE=doc/guide-utilisateur.html -P outils/guide.cmake")
    endif()
endif()
