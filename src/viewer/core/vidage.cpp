// Formatage des lignes du vidage hexadécimal et production du fichier de
// vidage, par tables : c'est la boucle la plus chaude du visualiseur.
#include "viewer/core/vidage.h"

#include "platform/erreurs.h"
#include "viewer/core/texte.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace morvine {

namespace {

constexpr int k_octets_ligne = 16;
constexpr int k_colonne_caracteres = 57;
// Taille du tampon de sortie avant écriture dans le fichier de vidage.
constexpr qsizetype k_tampon_sortie = 1 << 20;

struct Tables {
    std::array<std::array<char, 2>, 256> hex{};
    std::array<char, 256> caractere{};
    Tables() {
        const char* chiffres = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i) {
            hex[i] = {chiffres[i >> 4], chiffres[i & 15]};
            // La virgule aussi devient un point.
            caractere[i] = (i >= 32 && i <= 126 && i != 44) ? char(i) : '.';
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// Nombre de chiffres du décalage : au moins 5.
int largeur_decalage(qint64 position) {
    int chiffres = 5;
    while (chiffres < 16 && (quint64(position) >> (4 * chiffres)) != 0)
        ++chiffres;
    return chiffres;
}

// Écrit la ligne dans 'sortie' (assez grand : 16 + 70 octets) ; rend la fin.
char* ecrire_ligne(qint64 position, const uchar* octets, int n, char* sortie) {
    const Tables& t = tables();
    const int chiffres = largeur_decalage(position);
    char* p = sortie;
    for (int i = chiffres - 1; i >= 0; --i)
        *p++ = t.hex[(quint64(position) >> (4 * i)) & 15][1];
    *p++ = ':';
    *p++ = ' ';
    for (int i = 0; i < n; ++i) {
        std::memcpy(p, t.hex[octets[i]].data(), 2);
        p[2] = ' ';
        p += 3;
        if (i == 7) {
            *p++ = '-';
            *p++ = ' ';
        }
    }
    while (p - sortie < k_colonne_caracteres)
        *p++ = ' ';
    *p++ = ' ';
    for (int i = 0; i < n; ++i)
        *p++ = t.caractere[octets[i]];
    *p++ = ' ';
    return p;
}

QString texte_errno(int code) {
    // Une limite de taille de fichier arrête le vidage comme un disque plein.
    return plateforme::description_erreur(code == EFBIG ? plateforme::ERR_DISQUE_PLEIN
                                                        : plateforme::numero_depuis_errno(code));
}

// Écrit ce qu'il peut ; rend le nombre d'octets écrits (errno dit pourquoi
// quand c'est moins que demandé).
qint64 ecrire_tout(int fd, const char* p, qint64 n) {
    qint64 faits = 0;
    while (faits < n) {
        const ssize_t e = ::write(fd, p + faits, size_t(n - faits));
        if (e < 0 && errno == EINTR)
            continue;
        if (e <= 0) {
            if (e == 0)
                errno = ENOSPC;
            break;
        }
        faits += e;
    }
    return faits;
}

// Premier numéro de ligne dont le décalage a 'chiffres' chiffres.
qint64 premiere_ligne_de_largeur(int chiffres) {
    return chiffres <= 5 ? 0 : qint64(1) << (4 * (chiffres - 1) - 4);
}

} // namespace

QByteArray formater_ligne_hex(qint64 position, const uchar* octets, int n) {
    n = std::clamp(n, 0, k_octets_ligne);
    if (n == 0 || position < 0)
        return {};
    char ligne[k_octets_ligne + 96];
    const char* fin = ecrire_ligne(position, octets, n, ligne);
    return QByteArray(ligne, fin - ligne);
}

int formater_lignes_hex(qint64 position, const uchar* octets, int n, QByteArray& sortie) {
    int lignes = 0;
    qsizetype taille = sortie.size();
    sortie.resize(taille + qsizetype(n / k_octets_ligne + 1) * (k_octets_ligne + 96));
    char* p = sortie.data() + taille;
    for (int i = 0; i < n; i += k_octets_ligne, ++lignes) {
        p = ecrire_ligne(position + i, octets + i, std::min(k_octets_ligne, n - i), p);
        *p++ = '\r';
        *p++ = '\n';
    }
    sortie.truncate(p - sortie.constData());
    return lignes;
}

int longueur_ligne_complete(qint64 position) {
    // Décalage, ": ", 16 groupes, "- ", blanc, 16 caractères, blanc, CR LF.
    return largeur_decalage(position) + 2 + 3 * k_octets_ligne + 2 + 1 + k_octets_ligne + 1 + 2;
}

qint64 debut_ligne(qint64 n) {
    qint64 debut = 0;
    for (int chiffres = 5; chiffres < 16; ++chiffres) {
        const qint64 premiere = premiere_ligne_de_largeur(chiffres);
        const qint64 suivante = premiere_ligne_de_largeur(chiffres + 1);
        const int longueur = longueur_ligne_complete(premiere * k_octets_ligne);
        if (n < suivante)
            return debut + (n - premiere) * longueur;
        debut += (suivante - premiere) * longueur;
    }
    return debut;
}

qint64 lignes_completes(qint64 octets) {
    // debut_ligne croît avec n : la dernière ligne qui commence au plus à
    // 'octets' est le nombre de lignes entières qui précèdent.
    qint64 bas = 0, haut = std::max<qint64>(octets, 0) / longueur_ligne_complete(0) + 1;
    while (bas < haut) {
        const qint64 milieu = bas + (haut - bas + 1) / 2;
        if (debut_ligne(milieu) <= octets)
            bas = milieu;
        else
            haut = milieu - 1;
    }
    return bas;
}

namespace {

// Vidage de 'source' dans le descripteur 'vidage' (vide, ouvert en écriture).
BilanVidage vider_dans(QFile& source, int vidage, const std::function<void(qint64)>& progression,
                       const std::atomic_bool* arret) {
    BilanVidage bilan;
    bilan.lignes = 0;
    const qint64 longueur = source.size();
    qint64 position = 0;
    qint64 ecrits = 0;
    bool fin = longueur <= 0;
    QByteArray sortie;
    sortie.reserve(k_tampon_sortie + qsizetype(2) * k_taille_bloc * 5);
    uchar bloc[k_taille_bloc];
    while (!fin) {
        if (arret && arret->load(std::memory_order_relaxed)) {
            bilan.erreur = plateforme::description_erreur(plateforme::ERR_ES_PERIPHERIQUE);
            break;
        }
        // Bloc suivant : la fin est atteinte quand il est incomplet ou qu'il
        // touche la longueur du fichier (lue au départ).
        const qint64 lus = source.read(reinterpret_cast<char*>(bloc), k_taille_bloc);
        if (lus < 0) {
            bilan.erreur = plateforme::description_erreur(plateforme::ERR_ES_PERIPHERIQUE);
            fin = true;
        } else {
            fin = lus < k_taille_bloc || position + k_taille_bloc >= longueur;
            const int n = int(std::min(lus, longueur - position));
            bilan.lignes += formater_lignes_hex(position, bloc, n, sortie);
            position += k_taille_bloc;
        }
        if (sortie.size() >= k_tampon_sortie || fin) {
            const qint64 faits = ecrire_tout(vidage, sortie.constData(), sortie.size());
            ecrits += faits;
            if (faits != sortie.size()) {
                bilan.erreur = texte_errno(errno);
                break;
            }
            sortie.resize(0);
        }
        if (progression && position % (qint64(256) * k_taille_bloc) == 0)
            progression(position);
    }
    // Arrêté en route : le fichier ne garde que des lignes entières, celles
    // que la liste montrera.
    if (!bilan.erreur.isEmpty()) {
        bilan.lignes = lignes_completes(ecrits);
        if (::ftruncate(vidage, debut_ligne(bilan.lignes)) != 0)
            bilan.lignes = 0;
    }
    return bilan;
}

} // namespace

BilanVidage vider_fichier(const QString& source_hote, const QString& vidage_hote,
                          const std::function<void(qint64)>& progression,
                          const std::atomic_bool* arret) {
    BilanVidage bilan;
    QFile source;
    if (!ouvrir_en_lecture(source, source_hote, &bilan.erreur))
        return bilan;
    const int vidage = ::open(QFile::encodeName(vidage_hote).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (vidage < 0) {
        bilan.erreur = texte_errno(errno);
        return bilan;
    }
    bilan = vider_dans(source, vidage, progression, arret);
    if (::close(vidage) != 0 && bilan.erreur.isEmpty()) {
        bilan.erreur = texte_errno(errno);
        bilan.lignes = 0;
    }
    return bilan;
}

qint64 produire_vidage(const QString& source_hote, const QString& vidage_hote,
                       const std::function<void(qint64)>& progression) {
    const BilanVidage bilan = vider_fichier(source_hote, vidage_hote, progression);
    return bilan.complet() ? bilan.lignes : -1;
}

} // namespace morvine

namespace morvine {

ProducteurVidage::ProducteurVidage(QObject* parent) : QObject(parent) {}

ProducteurVidage::~ProducteurVidage() {
    arreter();
    if (m_fd >= 0)
        ::close(m_fd);
}

void ProducteurVidage::arreter() {
    m_arret = true;
    if (m_fil.joinable())
        m_fil.join();
}

bool ProducteurVidage::lancer(const QString& source_hote, const QString& vidage_hote,
                              QString* erreur) {
    arreter();
    if (m_fd >= 0)
        ::close(m_fd);
    m_arret = false;
    m_fini = false;
    m_bilan = {};
    m_fd = ::open(QFile::encodeName(vidage_hote).constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        *erreur = texte_errno(errno);
        return false;
    }
    // La source est rouverte par le fil : son propre descripteur, sa position.
    m_fil = std::thread([this, source_hote] {
        BilanVidage bilan;
        QFile source;
        if (ouvrir_en_lecture(source, source_hote, &bilan.erreur))
            bilan = vider_dans(source, m_fd, {}, &m_arret);
        m_bilan = bilan;
        m_fini = true;
        QMetaObject::invokeMethod(this, &ProducteurVidage::termine, Qt::QueuedConnection);
    });
    return true;
}

} // namespace morvine
