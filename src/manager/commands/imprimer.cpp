// Impression des fichiers choisis comme texte, un travail par fichier.
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/dialogues.h"
#include "platform/encodage.h"
#include "platform/erreurs.h"
#include "platform/impression.h"
#include "platform/windows1252.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Une ligne imprimée garde ses 160 premiers caractères.
constexpr int LIGNE_MAX = 160;
// Octets gardés d'une ligne : 160 caractères UTF-8 au plus ; le reste n'est
// que compté, une « ligne » de plusieurs Mo ne tient pas en mémoire.
constexpr qsizetype OCTETS_GARDES = qsizetype(LIGNE_MAX) * 4;
constexpr qint64 BLOC = 8192;
constexpr qint64 INTERVALLE_CEDER_MS = 10;

// Lecture ligne par ligne : CR LF, LF ou CR seul finissent une ligne ; la
// dernière peut n'avoir pas de fin.
class LecteurLignes {
public:
    explicit LecteurLignes(plateforme::FichierOuvert& f) : fichier(f) {}

    // Faux à la fin du fichier.
    bool lire(QByteArray& ligne) {
        ligne.clear();
        tronquee = false;
        bool lue = false;
        for (;;) {
            if (position == tampon.size() && !remplir())
                return lue;
            const char c = tampon.at(position++);
            ++lus;
            if (c == '\r') {
                // Le LF d'un CR LF est lu tout de suite : la jauge compte la ligne entière.
                if ((position < tampon.size() || remplir()) && tampon.at(position) == '\n') {
                    ++position;
                    ++lus;
                }
                return true;
            }
            if (c == '\n')
                return true;
            lue = true;
            if (ligne.size() < OCTETS_GARDES)
                ligne += c;
            else
                tronquee = true;
        }
    }
    qint64 octets_lus() const { return lus; }
    // Vrai quand la dernière ligne lue dépassait les octets gardés.
    bool tronquee = false;

private:
    bool remplir() {
        tampon = fichier.lire(BLOC);
        position = 0;
        return !tampon.isEmpty();
    }

    plateforme::FichierOuvert& fichier;
    QByteArray tampon;
    qsizetype position = 0;
    qint64 lus = 0;
};

// Texte DOS ou Windows : Windows-1252, sauf tant que le fichier reste de
// l'UTF-8 valide.
class Decodeur {
public:
    // 'tronquee' : la ligne a perdu ses octets au-delà des octets gardés ;
    // un caractère coupé à cette limite n'est alors pas une erreur.
    QString texte(const QByteArray& octets, bool tronquee) {
        if (utf8 && plateforme::est_utf8(octets, tronquee)) {
            QStringDecoder& d = tronquee ? tronque : entier;
            d.resetState();
            return d.decode(octets);
        }
        utf8 = false;
        return plateforme::depuis_1252(octets);
    }

private:
    bool utf8 = true;
    QStringDecoder entier{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QStringDecoder tronque{QStringDecoder::Utf8};
};

QString debut_de_ligne(const QString& texte) {
    if (texte.size() <= LIGNE_MAX)
        return texte;
    // Pas de demi-caractère en fin de ligne.
    return texte.left(texte.at(LIGNE_MAX - 1).isHighSurrogate() ? LIGNE_MAX - 1 : LIGNE_MAX);
}

// Lignes du fichier telles qu'elles s'impriment : décodées, 160 caractères au plus.
class LignesImprimees {
public:
    explicit LignesImprimees(plateforme::FichierOuvert& f) : lecteur(f) {}

    // Faux à la fin du fichier.
    bool lire(QString& texte) {
        if (!lecteur.lire(octets))
            return false;
        texte = debut_de_ligne(decodeur.texte(octets, lecteur.tronquee));
        return true;
    }
    qint64 octets_lus() const { return lecteur.octets_lus(); }

private:
    LecteurLignes lecteur;
    Decodeur decodeur;
    QByteArray octets;
};

// Céder à chaque ligne coûterait plus que l'impression même.
void ceder_de_temps_en_temps(QElapsedTimer& horloge) {
    if (horloge.elapsed() >= INTERVALLE_CEDER_MS) {
        QCoreApplication::processEvents();
        horloge.restart();
    }
}

// Colonnes de la plus longue ligne imprimée, tabulations développées, 160 au
// plus : la police se règle dessus avant la première ligne. Arret écourte la
// mesure, rien ne sera imprimé.
int colonnes_imprimees(const QString& chemin) {
    plateforme::FichierOuvert fichier(chemin, plateforme::FichierOuvert::Lecture);
    LignesImprimees lignes(fichier);
    QString texte;
    int colonnes = 1;
    QElapsedTimer horloge;
    horloge.start();
    while (colonnes < LIGNE_MAX && !etat_commande().demande_d_arrêt && lignes.lire(texte)) {
        colonnes = int(qMin<qsizetype>(
            LIGNE_MAX,
            qMax<qsizetype>(colonnes, plateforme::developper_tabulations(texte).size())));
        ceder_de_temps_en_temps(horloge);
    }
    return colonnes;
}

// Réponse au rapport d'une erreur : Réessayer (4) reprend le fichier.
int rapporter(const plateforme::ErreurExecution& erreur) {
    EtatCommande& etat = etat_commande();
    etat.réponse_de_commande = plateforme::REP_ANNULER;
    Rapport_erreur(etat.chemin_source, erreur);
    return etat.réponse_de_commande;
}

} // namespace

void Gestion_Fichiers::connecter_impression() {
    Imprimer->setToolTip(u"imprimer les fichiers sélectionnés"_s);
    commandes_construites.insert(Imprimer);
    activer_commande(Imprimer, true);
    connect(Imprimer, &QPushButton::clicked, this, [this] { Imprimer_Click(); });
}

void Gestion_Fichiers::Imprimer_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"IMPRIMER"_s;
    répertoire_de_repli.clear();
    if (Ligne_message->text().isEmpty())
        Signaler_aucune_selection();
    else
        while (imprimer_fichier_choisi()) {
        }
    signaler_impressions_de_repli();
    Rafraichir_affichage();
}

bool Gestion_Fichiers::imprimer_fichier_choisi() {
    EtatCommande& etat = etat_commande();
    sélection_totale ? Fichier_suivant_pas_a_pas(1) : Fichier_suivant(1);
    if (!etat.fichier_trouvé)
        return false;
    if (reglages().confirme) {
        Confirmer_commande();
        if (etat.réponse_de_commande == plateforme::REP_NON)
            return true;
        if (etat.réponse_de_commande == plateforme::REP_ANNULER)
            return false;
    }
    return imprimer_fichier_courant() && !etat.demande_d_arrêt;
}

bool Gestion_Fichiers::imprimer_fichier_courant() {
    EtatCommande& etat = etat_commande();
    return plateforme::executer_avec_reprise(
        [&] {
            plateforme::FichierOuvert fichier(etat.chemin_source,
                                              plateforme::FichierOuvert::Lecture);
            const qint64 longueur = fichier.taille();
            if (longueur == 0)
                return;
            montrer_jauge(true);
            Arret->show();
            Afficher_en_cours();
            const QString nom = etat.fichier_courant;
            poser_titre_application(u"Kaldron - "_s + nom);
            plateforme::TravailImpression travail(nom, colonnes_imprimees(etat.chemin_source));
            imprimer_lignes(fichier, longueur, travail);
            travail.terminer();
            if (!travail.pdf_de_repli().isEmpty())
                répertoire_de_repli = QFileInfo(travail.pdf_de_repli()).path();
        },
        rapporter);
}

// Jusqu'à la fin du fichier ou jusqu'à l'arrêt, qui laisse finir la ligne lue.
void Gestion_Fichiers::imprimer_lignes(plateforme::FichierOuvert& fichier, qint64 longueur,
                                       plateforme::TravailImpression& travail) {
    LignesImprimees lignes(fichier);
    QString ligne;
    QElapsedTimer horloge;
    horloge.start();
    int affichee = 0;
    while (!etat_commande().demande_d_arrêt && lignes.lire(ligne)) {
        travail.imprimer_ligne(ligne);
        const int valeur = int(qMin<qint64>(100, lignes.octets_lus() * 100 / longueur));
        if (valeur != affichee) {
            poser_jauge(valeur);
            affichee = valeur;
        }
        ceder_de_temps_en_temps(horloge);
    }
}

// La légende d'abord : qui suit la valeur lit déjà la bonne légende.
void Gestion_Fichiers::poser_jauge(int valeur) {
    Jauge->setFormat(QString::number(valeur) + u'%');
    Jauge->setValue(valeur);
}

// Sans imprimante, l'utilisateur doit savoir où sont ses impressions.
void Gestion_Fichiers::signaler_impressions_de_repli() {
    if (répertoire_de_repli.isEmpty())
        return;
    plateforme::dialogues().message(
        u"Aucune imprimante n'est installée : les impressions sont enregistrées en PDF dans le "
        u"répertoire"_s +
            CR + répertoire_de_repli,
        plateforme::MB_OK + plateforme::MB_INFORMATION, etat_commande().commande_courante);
    répertoire_de_repli.clear();
}
