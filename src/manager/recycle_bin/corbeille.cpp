#include "manager/recycle_bin/corbeille.h"

#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include "platform/profil.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {

// "Total" tient sur 64 bits : 19 chiffres, le blanc de tête et le NUL.
constexpr unsigned TAMPON_TOTAL = 22;
constexpr int NUMEROS = corbeille::NUMEROS_NOM_STOCKE;
constexpr qint64 PAS = 7919; // premier, sans facteur commun avec 36

qint64 aujourd_hui() {
    return plateforme::numero_jour(QDate::currentDate());
}

qint64 somme(const QList<EntreeCorbeille>& entrees) {
    qint64 total = 0;
    for (const EntreeCorbeille& e : entrees)
        total += e.taille;
    return total;
}

bool disparu(const ErreurExecution& e) {
    return e.numero() == plateforme::ERR_FICHIER_INTROUVABLE ||
           e.numero() == plateforme::ERR_CHEMIN_INTROUVABLE;
}

qint64 lire_total() {
    const QString texte = plateforme::lire_profil(u"Corbeille"_s, u"Total"_s, u"0"_s, TAMPON_TOTAL,
                                                  reglages().chemin_configuration)
                              .trimmed();
    bool ok = false;
    const qint64 total = texte.toLongLong(&ok);
    return std::max<qint64>(ok ? total : qint64(plateforme::val(texte)), 0);
}

// L'index existe, caché ; chaque changement le rouvre ensuite (un autre
// programme peut l'avoir remplacé entre-temps).
void preparer_index() {
    const corbeille::Verrou verrou;
    const QString chemin = corbeille::chemin_index();
    if (!plateforme::existe(chemin))
        plateforme::FichierOuvert(chemin, plateforme::FichierOuvert::Ajout).fermer();
    plateforme::definir_attributs(chemin, plateforme::attributs(chemin) | plateforme::ATTR_CACHE);
}

// Empreinte de l'index : les noms pris se relisent quand un autre
// programme l'a changé.
Empreinte empreinte_index() {
    struct stat st {};
    const QByteArray hote = corbeille::chemin_index_hote();
    if (::stat(hote.constData(), &st) != 0)
        return {};
    return {quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
            qint64(st.st_mtim.tv_nsec)};
}

QSet<QString>& noms_pris() {
    EtatCorbeille& e = etat_corbeille();
    const Empreinte actuelle = empreinte_index();
    if (!e.noms_pris || e.empreinte != actuelle) {
        QSet<QString> noms;
        for (const EntreeCorbeille& entree : corbeille::entrees(corbeille::lire_lignes()))
            noms.insert(entree.chemin_stocke().toUpper());
        e.noms_pris = noms;
        e.empreinte = actuelle;
    }
    return *e.noms_pris;
}

void compter(const EntreeCorbeille& entree, bool presente) {
    EtatCorbeille& e = etat_corbeille();
    e.total_corbeille += presente ? entree.taille : -entree.taille;
    if (!e.noms_pris)
        return;
    if (presente)
        e.noms_pris->insert(entree.chemin_stocke().toUpper());
    else
        e.noms_pris->remove(entree.chemin_stocke().toUpper());
}

int tirage() {
    const double x = etat_corbeille().aleatoire.generateDouble();
    return std::clamp(int(x * NUMEROS), 0, NUMEROS - 1);
}

// Premier nom libre à partir d'un numéro tiré au hasard : ni fichier du
// répertoire ni entrée de l'index ne le porte déjà. Un pas premier avec
// 46 656 disperse la recherche : un répertoire plein de noms consécutifs ne
// la ralentit pas. Le renommage refuse lui-même un nom pris sur le disque,
// à la casse près : pas de question de plus au disque par fichier.
QString ranger(const QString& source, const QString& repertoire, qint64 jour) {
    const QSet<QString>& pris = noms_pris();
    const int depart = tirage();
    for (int i = 0; i < NUMEROS; ++i) {
        QString nom = corbeille::nom_stocke(jour, int((depart + qint64(i) * PAS) % NUMEROS));
        const QString chemin = repertoire + nom;
        if (pris.contains(chemin.toUpper()))
            continue;
        try {
            plateforme::renommer(source, chemin);
            return nom;
        } catch (const ErreurExecution& e) {
            // Pris entre-temps : numéro suivant.
            if (e.numero() != plateforme::ERR_FICHIER_EXISTE)
                throw;
        }
    }
    plateforme::lever(plateforme::ERR_FICHIER_EXISTE);
}

void inscrire(const EntreeCorbeille& entree, const QString& source) {
    try {
        corbeille::ajouter_ligne(corbeille::ligne(entree));
    } catch (const ErreurExecution&) {
        // Sans ligne, le fichier reprend son nom : rien ne se perd.
        try {
            plateforme::renommer(entree.chemin_stocke(), source);
        } catch (const ErreurExecution&) {
        }
        throw;
    }
    compter(entree, true);
    etat_corbeille().empreinte = empreinte_index();
}

QString repertoire_avec_barre(const QString& repertoire) {
    QString absolu = plateforme::chemin_dos_absolu(repertoire);
    if (!absolu.endsWith(u'\\'))
        absolu += u'\\';
    return absolu;
}

// Remet la ligne retirée quand l'opération sur le disque a échoué.
void remettre(QList<QByteArray>& lignes, int position, const QByteArray& brute,
              const EntreeCorbeille& entree) {
    lignes.insert(position, brute);
    try {
        corbeille::ecrire_lignes(lignes);
        compter(entree, true);
    } catch (const ErreurExecution&) {
        qWarning("KALDRON.CRB : entrée non remise");
    }
}

// Ligne que la corbeille ne traitera pas : gardée, signalée une fois.
void noter_douteuse(const QByteArray& brute, const QString& description) {
    etat_corbeille().douteuses.insert(brute, description);
}

// Entrées sûres des lignes ; les autres sont notées.
QList<EntreeCorbeille> lire_entrees(const QList<QByteArray>& lignes) {
    QList<EntreeCorbeille> resultat;
    for (const QByteArray& l : lignes) {
        if (const auto entree = corbeille::lire_ligne(l))
            resultat.append(*entree);
        else
            noter_douteuse(l, corbeille::description_ligne(l));
    }
    return resultat;
}

enum class EtatStocke { Marque, NonMarque, Absent };

// Un fichier stocké porte les marques que la corbeille lui a données ;
// sans elles, ce n'est peut-être pas le sien.
EtatStocke etat_stocke(const QString& stocke) {
    try {
        constexpr unsigned marques = plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE;
        return (plateforme::attributs(stocke) & marques) == marques ? EtatStocke::Marque
                                                                    : EtatStocke::NonMarque;
    } catch (const ErreurExecution& e) {
        if (!disparu(e))
            throw;
        return EtatStocke::Absent;
    }
}

// Fichiers stockés disparus : signalés une fois le travail fini, comme
// fichiers introuvables (76 ferait croire au démarrage que le répertoire
// initial est en cause).
void signaler_absents(bool absent) {
    if (absent)
        plateforme::lever(plateforme::ERR_FICHIER_INTROUVABLE);
}

// L'index perd la ligne avant que le fichier ne soit effacé : une
// interruption laisse au pire ce seul fichier hors de l'index, jamais une
// ligne sans fichier. Un fichier sans ses marques n'est jamais détruit.
void detruire(QList<QByteArray>& lignes, const EntreeCorbeille& entree, bool& absent) {
    const QString stocke = entree.chemin_stocke();
    const int position = corbeille::position(lignes, entree);
    if (position < 0)
        return;
    const EtatStocke etat = etat_stocke(stocke);
    if (etat == EtatStocke::NonMarque) {
        noter_douteuse(lignes.at(position),
                       stocke + u" (sans ses attributs caché et lecture seule)"_s);
        return;
    }
    if (etat == EtatStocke::Absent)
        absent = true;
    else
        plateforme::definir_attributs(stocke, plateforme::ATTR_NORMAL);
    const QByteArray brute = lignes.takeAt(position);
    corbeille::ecrire_lignes(lignes);
    compter(entree, false);
    if (etat == EtatStocke::Absent)
        return;
    try {
        plateforme::supprimer_fichier(stocke);
    } catch (const ErreurExecution&) {
        remettre(lignes, position, brute, entree);
        try {
            plateforme::definir_attributs(stocke,
                                          plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE);
        } catch (const ErreurExecution&) {
        }
        throw;
    }
}

void rafraichir_espace_libre() {
    if (auto* principale = dynamic_cast<Gestion_Fichiers*>(fenetre_principale()))
        principale->Afficher_espace_libre();
}

void verifier_restauration(const EntreeCorbeille& entree, const QString& cible) {
    if (!plateforme::est_repertoire(entree.repertoire))
        plateforme::lever(plateforme::ERR_CHEMIN_INTROUVABLE);
    if (!plateforme::existe(entree.chemin_stocke()))
        plateforme::lever(plateforme::ERR_FICHIER_INTROUVABLE);
    if (plateforme::existe(cible))
        plateforme::lever(plateforme::ERR_FICHIER_EXISTE);
}

} // namespace

void EtatCorbeille::reinitialiser() {
    *this = EtatCorbeille{};
}

EtatCorbeille& etat_corbeille() {
    static EtatCorbeille etat;
    return etat;
}

CritereCorbeille critere_corbeille() {
    const Reglages& r = reglages();
    CritereCorbeille critere;
    if (!r.corbeille_active)
        return critere;
    // Une limite hors de ses bornes (zéro, négative, coupée) ne purge rien.
    if (!r.taille_corbeille_texte.isEmpty() || r.taille_corbeille > 0) {
        if (r.taille_corbeille < 1 || r.taille_corbeille > TAILLE_CORBEILLE_MAX)
            return critere;
        critere.mode = CritereCorbeille::Taille;
        critere.limite_octets = qint64(r.taille_corbeille) * 1024;
    } else {
        if (r.temps_corbeille < 1 || r.temps_corbeille > TEMPS_CORBEILLE_MAX)
            return critere;
        critere.mode = CritereCorbeille::Temps;
        critere.jours = r.temps_corbeille;
    }
    return critere;
}

QList<int> entrees_a_detruire(const QList<EntreeCorbeille>& entrees,
                              const CritereCorbeille& critere, qint64 aujourd_hui) {
    QList<int> resultat;
    if (critere.mode == CritereCorbeille::Aucun)
        return resultat;
    qint64 total = somme(entrees);
    for (int i = 0; i + 1 < entrees.size(); ++i) {
        const EntreeCorbeille& e = entrees.at(i);
        const bool gardee = critere.mode == CritereCorbeille::Taille
                                ? total <= critere.limite_octets
                                : e.jour + critere.jours >= aujourd_hui;
        if (!gardee) {
            resultat.append(i);
            total -= e.taille;
        }
    }
    return resultat;
}

void Ouvrir_corbeille() {
    preparer_index();
    EtatCorbeille& e = etat_corbeille();
    if (e.total_corbeille == 0)
        e.total_corbeille = lire_total();
    e.aleatoire.seed(quint32(QDateTime::currentMSecsSinceEpoch()) ^ quint32(::getpid()));
    e.noms_pris.reset();
}

void Mettre_en_corbeille(const QString& chemin_source, const QString& fichier_courant,
                         const QString& répertoire_source, qint64 taille) {
    const QString repertoire = repertoire_avec_barre(répertoire_source);
    if (!corbeille::nom_acceptable(fichier_courant) ||
        !corbeille::repertoire_acceptable(repertoire))
        plateforme::lever(plateforme::ERR_NOM_INCORRECT);
    // Rendu, il perdrait sa protection : on le refuse tant qu'elle est là.
    const unsigned avant = plateforme::attributs(chemin_source);
    if (avant & plateforme::ATTR_LECTURE_SEULE)
        plateforme::lever(plateforme::ERR_ACCES);
    if (taille < 0)
        taille = plateforme::longueur(chemin_source);
    const qint64 jour = aujourd_hui();
    // Nom tiré, renommage et ligne sous le verrou : un autre programme ne
    // peut ni prendre le même nom ni remplacer l'index entre les deux.
    const corbeille::Verrou verrou;
    const EntreeCorbeille entree{ranger(chemin_source, repertoire, jour), jour, taille,
                                 fichier_courant, repertoire};
    inscrire(entree, chemin_source);
    // Le renommage garde les attributs lus plus haut : pas de relecture.
    plateforme::definir_attributs(entree.chemin_stocke(),
                                  avant | plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE);
}

void Purger_corbeille() {
    etat_commande().fermer_fichiers();
    bool absent = false;
    {
        // Relue sous le verrou : une liste lue plus tôt peut être périmée.
        const corbeille::Verrou verrou;
        QList<QByteArray> lignes = corbeille::lire_lignes();
        const QList<EntreeCorbeille> liste = lire_entrees(lignes);
        // Le total est celui de l'index : un "Total" périmé (arrêt brutal entre
        // un effacement et sa purge) ne laisse pas la corbeille déborder.
        etat_corbeille().total_corbeille = somme(liste);
        for (int i : entrees_a_detruire(liste, critere_corbeille(), aujourd_hui()))
            detruire(lignes, liste.at(i), absent);
        preparer_index();
    }
    enregistrer_total();
    rafraichir_espace_libre();
    signaler_absents(absent);
}

QList<EntreeCorbeille> entrees_corbeille() {
    return lire_entrees(corbeille::lire_lignes());
}

void restaurer_entree(const EntreeCorbeille& entree, const QString& nom) {
    if (!nom.isEmpty() && !corbeille::nom_acceptable(nom))
        plateforme::lever(plateforme::ERR_NOM_INCORRECT);
    const corbeille::Verrou verrou;
    QList<QByteArray> lignes = corbeille::lire_lignes();
    // Retrouvée par son nom stocké : un autre programme a pu la rendre ou
    // la purger, ou déplacer les lignes.
    const int position = corbeille::position(lignes, entree);
    if (position < 0)
        plateforme::lever(plateforme::ERR_FICHIER_INTROUVABLE);
    const EntreeCorbeille inscrite = *corbeille::lire_ligne(lignes.at(position));
    const QString cible = inscrite.repertoire + (nom.isEmpty() ? inscrite.nom : nom);
    verifier_restauration(inscrite, cible);
    const QString stocke = inscrite.chemin_stocke();
    const unsigned avant = plateforme::attributs(stocke);
    // Caché et protégé partent d'abord : un arrêt brutal laisse au pire un
    // fichier stocké visible, jamais un fichier que rien ne montre plus.
    plateforme::definir_attributs(stocke,
                                  avant & (plateforme::ATTR_ARCHIVE | plateforme::ATTR_SYSTEME));
    // La ligne part avant que le fichier ne reprenne son nom (voir detruire).
    const QByteArray brute = lignes.takeAt(position);
    bool retiree = false;
    try {
        corbeille::ecrire_lignes(lignes);
        retiree = true;
        compter(inscrite, false);
        plateforme::renommer(stocke, cible);
    } catch (const ErreurExecution&) {
        try {
            plateforme::definir_attributs(stocke, avant);
        } catch (const ErreurExecution&) {
        }
        if (retiree)
            remettre(lignes, position, brute, inscrite);
        throw;
    }
}

void oublier_entree(const EntreeCorbeille& entree) {
    const corbeille::Verrou verrou;
    QList<QByteArray> lignes = corbeille::lire_lignes();
    const int position = corbeille::position(lignes, entree);
    if (position < 0)
        return;
    const EntreeCorbeille inscrite = *corbeille::lire_ligne(lignes.takeAt(position));
    corbeille::ecrire_lignes(lignes);
    compter(inscrite, false);
}

void vider_corbeille() {
    bool absent = false;
    QList<QByteArray> lignes;
    {
        const corbeille::Verrou verrou;
        lignes = corbeille::lire_lignes();
        for (const EntreeCorbeille& entree : lire_entrees(lignes))
            detruire(lignes, entree, absent);
        // Les lignes douteuses restent, et l'index avec elles.
        const QString index = corbeille::chemin_index();
        if (lignes.isEmpty() && plateforme::existe(index)) {
            plateforme::definir_attributs(index, plateforme::ATTR_NORMAL);
            plateforme::supprimer_fichier(index);
        }
    }
    etat_corbeille().total_corbeille = somme(corbeille::entrees(lignes));
    etat_corbeille().noms_pris.reset();
    if (lignes.isEmpty())
        plateforme::ecrire_profil(u"Corbeille"_s, u"Total"_s, std::nullopt,
                                  reglages().chemin_configuration);
    else
        enregistrer_total();
    rafraichir_espace_libre();
    signaler_absents(absent);
}

void enregistrer_total() {
    plateforme::ecrire_profil(u"Corbeille"_s, u"Total"_s,
                              plateforme::str_nombre(etat_corbeille().total_corbeille),
                              reglages().chemin_configuration);
}

void signaler_lignes_douteuses() {
    EtatCorbeille& e = etat_corbeille();
    QStringList nouvelles;
    for (auto it = e.douteuses.cbegin(); it != e.douteuses.cend(); ++it) {
        if (!e.signalees.contains(it.key())) {
            nouvelles << it.value();
            e.signalees.insert(it.key());
        }
    }
    if (nouvelles.isEmpty())
        return;
    constexpr int MONTREES = 10;
    const qsizetype en_tout = nouvelles.size();
    if (en_tout > MONTREES) {
        nouvelles = nouvelles.mid(0, MONTREES);
        nouvelles << u"... et %1 autres"_s.arg(en_tout - MONTREES);
    }
    const QString cr(QChar(13));
    plateforme::dialogues().message(
        u"L'index de la corbeille KALDRON.CRB contient des lignes douteuses (nom qui sort de "
        u"son répertoire, ligne abîmée, fichier qui n'a plus les attributs caché et lecture "
        u"seule que la corbeille lui donne) :"_s +
            cr + nouvelles.join(cr) + cr +
            u"ces lignes restent dans l'index, mais aucun fichier n'est détruit par elles."_s,
        plateforme::MB_OK + plateforme::MB_EXCLAMATION, u"Gestionnaire de fichiers"_s);
}
