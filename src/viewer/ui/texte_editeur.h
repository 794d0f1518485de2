#pragma once
// Passage entre les octets d'un fichier de texte (un caractère Windows-1252
// par octet) et le texte de la zone d'édition, sans rien perdre : une fin de
// paragraphe de la zone vaut la fin de ligne dominante du fichier ; une fin
// de ligne d'une autre sorte est montrée par son symbole (␍, ␊) et rendue
// telle quelle à l'enregistrement.
#include <QString>

namespace morvine {

struct TexteEditeur {
    QString texte;     // fins de ligne dominantes en U+2029
    QString fin_ligne; // "\r\n", "\n" ou "\r"
};

// "\r\n" pour un fichier sans fin de ligne (un nouveau texte).
TexteEditeur vers_editeur(const QString& octets);
// 'brut' est le texte de la zone tel qu'il est rangé (QTextDocument::toRawText).
QString depuis_editeur(const QString& brut, const QString& fin_ligne);

// Symboles des fins de ligne minoritaires.
inline constexpr char16_t SYMBOLE_CR = 0x240D;
inline constexpr char16_t SYMBOLE_LF = 0x240A;

} // namespace morvine
