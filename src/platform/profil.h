#pragma once
// Fichiers de profil (.INI) avec la sémantique de la plate-forme d'origine,
// sur des octets Windows-1252. Un nom de fichier sans répertoire désigne le
// répertoire Windows (repertoire_windows()), qui contient aussi WIN.INI.
#include <QString>
#include <QStringList>
#include <optional>

// Opérations d'origine. Clé nulle en lecture : liste des clés de la section.
// Valeur nulle en écriture : suppression de la clé ; clé nulle : de la section.
unsigned GetPrivateProfileStringA(const char* section, const char* key, const char* defaut,
                                  char* buffer, unsigned taille, const char* fichier);
bool WritePrivateProfileStringA(const char* section, const char* key, const char* valeur,
                                const char* fichier);
unsigned GetProfileStringA(const char* section, const char* key, const char* defaut, char* buffer,
                           unsigned taille);
bool WriteProfileStringA(const char* section, const char* key, const char* valeur);

namespace plateforme {

// Répertoire Windows : $KALDRON_WINDOWS s'il est défini (tests), sinon
// $XDG_CONFIG_HOME/kaldron (ou ~/.config/kaldron). Créé au besoin.
QString repertoire_windows();
// Chemin de l'hôte d'un nom de fichier de profil : nom sans répertoire =>
// répertoire Windows ; chemin DOS (C:\...) => résolu par les unités ;
// chemin commençant par '/' => pris tel quel.
QString chemin_profil(const QString& fichier);

// Couche QString (conversion Windows-1252). 'taille' est celle du tampon
// d'origine : la valeur rendue a au plus taille-1 caractères.
QString lire_profil(const QString& section, const QString& cle, const QString& defaut,
                    unsigned taille, const QString& fichier);
// Noms des clés dans l'ordre du fichier, dans la limite d'un tampon de
// 'taille' caractères (le dernier nom peut être coupé).
QStringList cles_profil(const QString& section, unsigned taille, const QString& fichier);
// Valeur absente => suppression de la clé ; clé absente => de la section.
bool ecrire_profil(const QString& section, const std::optional<QString>& cle,
                   const std::optional<QString>& valeur, const QString& fichier);
QString lire_win_ini(const QString& section, const QString& cle, const QString& defaut,
                     unsigned taille);
QStringList cles_win_ini(const QString& section, unsigned taille);
bool ecrire_win_ini(const QString& section, const std::optional<QString>& cle,
                    const std::optional<QString>& valeur);

} // namespace plateforme
