// Charger_fichier : le seul chemin d'ouverture d'un fichier, en lecture
// seule ; l'affichage suit le type du fichier (ou le type imposé).
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/texte.h"
#include "viewer/core/traitement_texte.h"
#include "viewer/core/types_fichier.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/arret.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/curseur.h"
#include "viewer/ui/disposition.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"
#include "viewer/ui/vue_vidage.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;
using morvine::Affichage;

namespace {

QString texte_document(const QString& hote, Affichage a) {
    QFile fichier;
    if (!morvine::ouvrir_en_lecture(fichier, hote))
        return {};
    return a == Affichage::Word ? morvine::lire_word(fichier) : morvine::lire_write(fichier);
}

// Ce que montre la fenêtre d'une image que les modules d'images ne savent
// pas décoder, au lieu d'une fenêtre vide.
QString motif_image_illisible(QImageReader::ImageReaderError erreur) {
    switch (erreur) {
    case QImageReader::UnsupportedFormatError:
        return u"Image illisible : ce format d'image n'est pas reconnu."_s;
    case QImageReader::InvalidDataError:
        return u"Image illisible : les données de l'image sont abîmées."_s;
    default:
        return u"Image illisible : le fichier n'a pas pu être lu."_s;
    }
}

QString texte_incomplet(qint64 lignes, const QString& motif) {
    return u"%1 lignes seulement"_s.arg(std::max<qint64>(lignes, 0)) + QChar(13) + u"("_s + motif +
           u")"_s;
}

void avertir_vidage_incomplet(const Editeur& editeur, const QString& nom,
                              const QString& avertissement) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Vidage incomplet du fichier "_s + nom + u" : "_s +
                                        avertissement,
                                    plateforme::MB_EXCLAMATION, editeur.titre_application);
}

// Un vidage arrêté par le disque (plein, limite de taille) est montré pour
// ce qu'il est : la liste s'arrête à ses lignes entières, l'utilisateur en
// est averti.
void vidage_termine(Fenêtre* f, morvine::ProducteurVidage* producteur) {
    const morvine::BilanVidage bilan = producteur->bilan();
    if (f->producteur_vidage != producteur || bilan.complet())
        return;
    f->modele_vidage->limiter(std::max<qint64>(bilan.lignes, 0));
    avertir_vidage_incomplet(f->editeur, f->legende(), texte_incomplet(bilan.lignes, bilan.erreur));
}

// Au-delà, une lecture montre sa progression.
constexpr qint64 k_delai_jauge_ms = 400;

} // namespace

void Editeur::signaler_echec_ouverture(const QString& nom, const QString& erreur) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Ne peut ouvrir le fichier "_s + nom + QChar(13) + u"("_s +
                                        erreur + u")"_s,
                                    plateforme::MB_EXCLAMATION, titre_application);
    Echec_chargement = true;
}

QString Editeur::resoudre_hote(const QString& nom, QString* erreur) const {
    QString hote;
    try {
        hote = nom.startsWith(u'/') ? nom : plateforme::dos_vers_hote(nom);
    } catch (const plateforme::ErreurExecution& e) {
        *erreur = e.description();
        return {};
    }
    // Ouverture en lecture seule : rien n'est créé, aucun droit d'écriture requis.
    *erreur = morvine::erreur_ouverture(hote);
    return hote;
}

Fenêtre* Editeur::fenetre_pour(int indice) {
    Fenêtre* f = fenetre(indice);
    if (!f) {
        f = new Fenêtre(*this);
        f->Tag = QString::number(indice);
        QMdiSubWindow* s = zone->addSubWindow(f);
        s->setAttribute(Qt::WA_DeleteOnClose);
        s->installEventFilter(f);
        f->Form_Load();
        tables.Documents[indice] = f;
        Lire_fichiers_recents();
    }
    f->Tag = QString::number(indice);
    return f;
}

void Editeur::Charger_fichier(const QString& nom_donne, const QString& type_force) {
    // Un grand texte fait tourner les événements pendant qu'il entre : un
    // nom reçu d'une seconde copie attend la fin de ce chargement.
    if (m_case_en_chargement != 0) {
        QTimer::singleShot(
            100, this, [this, nom_donne, type_force] { Charger_fichier(nom_donne, type_force); });
        return;
    }
    Echec_chargement = false;
    m_chargement_arrete = false;
    const QString nom = morvine::nom_document(nom_donne);
    QString erreur;
    QString avertissement;
    const QString hote = resoudre_hote(nom, &erreur);
    if (erreur.isEmpty()) {
        morvine::CurseurSablier sablier;
        try {
            avertissement = charger_dans_une_case(nom, type_force, hote, &erreur);
        } catch (const std::bad_alloc&) {
            // La mémoire manque en route : la case prise est rendue, et le
            // programme reste là.
            abandonner_chargement();
            erreur = plateforme::description_erreur(plateforme::ERR_MEMOIRE);
        }
    }
    // Arrêté par l'usager : rien d'ouvert, et rien à lui expliquer.
    if (m_chargement_arrete) {
        Echec_chargement = true;
        return;
    }
    if (!erreur.isEmpty())
        return signaler_echec_ouverture(nom_donne, erreur);
    if (!avertissement.isEmpty())
        avertir_vidage_incomplet(*this, nom_donne, avertissement);
}

QString Editeur::charger_dans_une_case(const QString& nom, const QString& type_force,
                                       const QString& hote, QString* erreur) {
    const QString extension = morvine::extension_de(nom);
    const QString type = type_force.isEmpty() ? extension : type_force;
    Affichage a = morvine::affichage_pour(type);
    // Un type que la table ne connaît pas : le contenu décide (image, texte).
    if (type_force.isEmpty() && a == Affichage::Vidage)
        a = morvine::affichage_selon_contenu(extension, hote);
    // Le texte est lu avant de prendre une case : trop grand pour la mémoire,
    // il est refusé comme un fichier qui ne s'ouvre pas.
    QString texte;
    plateforme::Encodage encodage = plateforme::Encodage::Windows1252;
    if (a == Affichage::Texte) {
        std::optional<QString> lu =
            morvine::lire_texte(hote, morvine::limite_texte(), erreur, &encodage);
        if (!lu)
            return {};
        texte = std::move(*lu);
    }
    const int i = Trouver_indice_libre();
    m_case_en_chargement = i;
    morvine::EtatDocument& e = etat(i);
    e = morvine::EtatDocument{};
    e.titre = morvine::titre_de(nom);
    e.chemin = morvine::legende_document(nom);
    e.extension = extension;
    e.encodage = encodage;
    Fenêtre* f = fenetre_pour(i);
    f->definir_legende(e.chemin);
    f->cacher_affichages();
    Appel->show();
    Imprimer->show();
    Enregistrer->setEnabled(true);
    const QString avertissement = afficher_selon_type(f, a, type, hote, std::move(texte));
    if (m_chargement_arrete) {
        // Un texte incomplet ne doit pas pouvoir être enregistré sur le fichier.
        abandonner_chargement();
        return {};
    }
    etat(i).modifie = false;
    f->sous_fenetre()->show();
    activer(f);
    m_case_en_chargement = 0;
    return avertissement;
}

void Editeur::abandonner_chargement() {
    const int i = std::exchange(m_case_en_chargement, 0);
    if (i < 1 || i > tables.borne())
        return;
    if (Fenêtre* f = fenetre(i)) {
        f->etat().modifie = false;
        f->sous_fenetre()->close();
    }
    // Fermée, la fenêtre a rendu sa case ; sans fenêtre, on la rend ici.
    if (!fenetre(i))
        etat(i).supprime = true;
}

QString Editeur::afficher_selon_type(Fenêtre* f, Affichage a, const QString& type,
                                     const QString& hote, QString texte) {
    morvine::EtatDocument& e = f->etat();
    QMdiSubWindow* s = f->sous_fenetre();
    switch (a) {
    case Affichage::Texte: {
        // Un grand texte montre son avancement et peut être arrêté.
        QProgressDialog avancement(u"Chargement de "_s + e.chemin, u"&Arrêter"_s, 0, 100, this);
        avancement.setWindowTitle(titre_application);
        avancement.setWindowModality(Qt::ApplicationModal);
        avancement.setMinimumDuration(300);
        avancement.setAutoReset(false);
        const auto progression = [this, &avancement, f, s](qint64 fait, qint64 total) {
            if (avancement.value() < 0) {
                // Le début du texte se montre tout de suite, sous la fenêtre
                // d'avancement, dont l'attente avant de paraître part d'ici.
                morvine::taille_ordinaire(s, zone, f->indice());
                s->show();
                avancement.setValue(0);
            }
            avancement.setValue(int(fait * 100 / std::max<qint64>(total, 1)));
            // Avant que la fenêtre d'avancement (modale) ne paraisse, les
            // signaux d'arrêt et l'affichage suivent, pas les clics.
            if (!avancement.isVisible())
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return !avancement.wasCanceled() && !morvine::arret_demande();
        };
        m_chargement_arrete = !f->montrer_texte(std::move(texte), true, progression);
        if (m_chargement_arrete)
            return {};
        bouton_enregistrer(true);
        boutons_edition(true);
        f->menus_texte();
        e.texte_editable = true;
        morvine::taille_ordinaire(s, zone, f->indice());
        return {};
    }
    case Affichage::Vidage: {
        // Les lignes se forment depuis le fichier même : la fenêtre se montre
        // sans attendre le fichier de vidage, écrit en arrière-plan.
        QString motif;
        const bool lisible = f->montrer_vidage(hote, &motif);
        e.fichier_vidage = vidages.nouveau_vidage();
        if (e.fichier_vidage.isEmpty()) {
            motif = plateforme::description_erreur(plateforme::ERR_ACCES);
        } else if (lisible) {
            auto* producteur = new morvine::ProducteurVidage(f);
            f->producteur_vidage = producteur;
            if (producteur->lancer(hote, e.fichier_vidage, &motif))
                QObject::connect(producteur, &morvine::ProducteurVidage::termine, f,
                                 [f, producteur] { vidage_termine(f, producteur); });
        }
        f->menus_vidage();
        morvine::placer(s, f->indice() + 1);
        morvine::entourer(s, f->Dump->size());
        if (motif.isEmpty())
            return {};
        f->modele_vidage->limiter(0);
        return texte_incomplet(0, motif);
    }
    case Affichage::Dbase: {
        // Le parcours d'une grande table se montre et peut s'arrêter : la
        // grille garde alors les lignes déjà parcourues.
        QElapsedTimer duree;
        duree.start();
        std::unique_ptr<QProgressDialog> jauge;
        f->montrer_table(hote, [&](int fait) {
            if (!jauge && duree.elapsed() >= k_delai_jauge_ms) {
                jauge = std::make_unique<QProgressDialog>(
                    u"Lecture de la table "_s + f->legende() + u"..."_s, u"ARRET"_s, 0, 1000, this);
                jauge->setWindowTitle(titre_application);
                jauge->setWindowModality(Qt::WindowModal);
                jauge->setMinimumDuration(0);
            }
            if (jauge)
                jauge->setValue(fait);
            return !jauge || !jauge->wasCanceled();
        });
        f->menus_sans_edition();
        morvine::taille_ordinaire(s, zone, f->indice());
        return {};
    }
    case Affichage::Word:
    case Affichage::Write:
        e.encodage = plateforme::Encodage::Windows1252;
        f->montrer_texte(texte_document(hote, a), false);
        morvine::taille_ordinaire(s, zone, f->indice());
        return {};
    case Affichage::Image: {
        // Une image hors de la table (PNG, WebP...) n'est pas une icône.
        const int genre = morvine::genre_image_pour(type);
        e.image = genre != morvine::PAS_IMAGE ? genre : int(morvine::IMAGE_AUTRE);
        QFile fichier;
        QImage image; // illisible : image vide, et la fenêtre le dit
        QString motif = motif_image_illisible(QImageReader::DeviceError);
        if (morvine::ouvrir_en_lecture(fichier, hote)) {
            QImageReader lecteur(&fichier);
            lecteur.setDecideFormatFromContent(true);
            image = lecteur.read();
            motif = motif_image_illisible(lecteur.error());
        }
        f->montrer_image(image, image.isNull() ? motif : QString());
        f->menus_image();
        morvine::placer(s, f->indice());
        morvine::entourer(s, f->Image1->size());
        return {};
    }
    }
    return {};
}

// Bascule de format : le fichier est rouvert dans l'autre affichage, dans une
// nouvelle case ; la fenêtre actuelle ne se ferme que si la réouverture a
// réussi (sinon on garderait une fenêtre de moins et rien à la place).
void Fenêtre::mnuEFormat_Click() {
    const bool vers_texte = mnuEFormat->text() == u"&Format texte"_s;
    editeur.Charger_fichier(legende(), vers_texte ? u"TXT"_s : u"XXX"_s);
    if (editeur.Echec_chargement)
        return;
    sous_fenetre()->close();
    editeur.Lire_fichiers_recents();
}
