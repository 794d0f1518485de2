#pragma once
// Erreurs d'exécution : chaque opération qui échoue lève ErreurExecution
// avec le numéro d'erreur d'origine (53, 61, 76...), jamais errno brut.
#include <QString>
#include <exception>
#include <functional>
#include <string>

namespace plateforme {

// Numéros d'erreur d'exécution utilisés par les programmes.
enum NumeroErreur : int {
    ERR_APPEL_INCORRECT = 5,
    ERR_MEMOIRE = 7,
    ERR_FICHIER_INTROUVABLE = 53,
    ERR_FICHIER_DEJA_OUVERT = 55,
    ERR_ES_PERIPHERIQUE = 57,
    ERR_FICHIER_EXISTE = 58,
    ERR_DISQUE_PLEIN = 61,
    ERR_NOM_INCORRECT = 64,
    ERR_TROP_DE_FICHIERS = 67,
    ERR_PERIPHERIQUE_ABSENT = 68,
    ERR_PERMISSION = 70,
    ERR_DISQUE_PAS_PRET = 71,
    ERR_AUTRE_UNITE = 74,
    ERR_ACCES = 75,
    ERR_CHEMIN_INTROUVABLE = 76,
    ERR_VALEUR_INCORRECTE = 380,
    // Propre à Linux : un lancement impossible ici, expliqué par sa description.
    ERR_LANCEMENT_IMPOSSIBLE = 1001,
};

class ErreurExecution : public std::exception {
public:
    explicit ErreurExecution(int numero, QString description = {});
    int numero() const { return m_numero; }
    // Description du système, en français.
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    int m_numero;
    QString m_description;
    std::string m_utf8;
};

// Numéro d'erreur d'exécution correspondant à une valeur de errno.
int numero_depuis_errno(int code_errno);
// Description française d'un numéro d'erreur (texte générique si inconnu).
QString description_erreur(int numero);
[[noreturn]] void lever(int numero);
[[noreturn]] void lever_errno(int code_errno);

// Exécute une étape ; sur erreur, demande la réponse au rapport et
// recommence tant que la réponse est Réessayer (4). Vrai si l'étape a abouti.
bool executer_avec_reprise(const std::function<void()>& etape,
                           const std::function<int(const ErreurExecution&)>& rapport);

} // namespace plateforme
