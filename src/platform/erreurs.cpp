// Erreurs d'exécution : numéros d'origine, descriptions françaises, reprise.
#include "platform/erreurs.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace plateforme {

namespace {

constexpr int reponse_reessayer = 4;

struct Description {
    int numero;
    const char16_t* texte;
};

const Description descriptions[] = {
    {5, u"Appel de procédure ou argument incorrect"},
    {7, u"Mémoire insuffisante"},
    {9, u"L'indice n'appartient pas à la sélection"},
    {52, u"Nom ou numéro de fichier incorrect"},
    {53, u"Fichier introuvable"},
    {54, u"Mode d'accès au fichier incorrect"},
    {55, u"Fichier déjà ouvert"},
    {57, u"Erreur d'entrée/sortie sur un périphérique"},
    {58, u"Le fichier existe déjà"},
    {61, u"Disque plein"},
    {62, u"Entrée au-delà de la fin du fichier"},
    {63, u"Numéro d'enregistrement incorrect"},
    {64, u"Nom de fichier incorrect"},
    {67, u"Trop de fichiers"},
    {68, u"Périphérique non disponible"},
    {70, u"Permission refusée"},
    {71, u"Disque non prêt"},
    {74, u"Impossible de renommer avec un lecteur différent"},
    {75, u"Erreur d'accès au chemin ou au fichier"},
    {76, u"Chemin d'accès introuvable"},
    {380, u"Valeur de propriété incorrecte"},
};

// Correspondance errno -> numéro d'origine ; vide pour une valeur inconnue.
std::optional<int> numero_connu(int code) {
    switch (code) {
    case ENOENT:
        return ERR_FICHIER_INTROUVABLE;
    case ENOTDIR:
    case ELOOP:
        return ERR_CHEMIN_INTROUVABLE;
    case EEXIST:
        return ERR_FICHIER_EXISTE;
    case ENOSPC:
    case EDQUOT:
        return ERR_DISQUE_PLEIN;
    case ENAMETOOLONG:
    case EILSEQ:
        return ERR_NOM_INCORRECT;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return ERR_PERIPHERIQUE_ABSENT;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERR_PERMISSION;
    // Un support retiré en cours de lecture donne EIO : « disque non prêt »
    // propose Réessayer, ce que l'utilisateur peut guérir en le remettant.
    case EIO:
        return ERR_DISQUE_PAS_PRET;
    case EBUSY:
    case ETXTBSY:
    case EISDIR:
    case ENOTEMPTY:
        return ERR_ACCES;
    case EXDEV:
        return ERR_AUTRE_UNITE;
    case EMFILE:
    case ENFILE:
        return ERR_TROP_DE_FICHIERS;
    case ENOMEM:
        return ERR_MEMOIRE;
    case EINVAL:
        return ERR_APPEL_INCORRECT;
    default:
        return std::nullopt;
    }
}

QString texte_systeme(int code) {
    char tampon[256] = {};
    // strerror_r de la GNU libc : rend un pointeur, pas forcément vers le tampon.
    return QString::fromLocal8Bit(strerror_r(code, tampon, sizeof tampon));
}

QString message_complet(int numero, const QString& description) {
    return description + QStringLiteral(" (code = ") + QString::number(numero) + u')';
}

} // namespace

ErreurExecution::ErreurExecution(int numero, QString description)
    : m_numero(numero),
      m_description(description.isEmpty() ? description_erreur(numero) : std::move(description)),
      m_utf8(message_complet(m_numero, m_description).toStdString()) {}

int numero_depuis_errno(int code_errno) {
    return numero_connu(code_errno).value_or(ERR_ES_PERIPHERIQUE);
}

QString description_erreur(int numero) {
    for (const Description& d : descriptions) {
        if (d.numero == numero)
            return QString::fromUtf16(d.texte);
    }
    return QStringLiteral("Erreur d'exécution ") + QString::number(numero);
}

void lever(int numero) {
    throw ErreurExecution(numero);
}

void lever_errno(int code_errno) {
    if (const std::optional<int> numero = numero_connu(code_errno))
        throw ErreurExecution(*numero);
    throw ErreurExecution(ERR_ES_PERIPHERIQUE, texte_systeme(code_errno));
}

bool executer_avec_reprise(const std::function<void()>& etape,
                           const std::function<int(const ErreurExecution&)>& rapport) {
    for (;;) {
        try {
            etape();
            return true;
        } catch (const ErreurExecution& erreur) {
            if (rapport(erreur) != reponse_reessayer)
                return false;
        }
    }
}

} // namespace plateforme
