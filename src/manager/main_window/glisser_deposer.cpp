// Glisser-déposer : les fichiers choisis dans la liste SOURCE, tirés sur le
// cadre DESTINATION, y sont copiés (déplacés avec Maj) par COPIER et
// DEPLACER ; tirés vers un autre programme, ils lui donnent leurs chemins ;
// les fichiers d'un autre programme déposés sur un cadre y sont copiés.
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidgetItem>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Marque d'un glisser parti de ce processus (le numéro du processus).
const QString FORMAT_INTERNE = u"application/x-kaldron-source"_s;

bool vient_d_ici(const QMimeData* donnees) {
    return donnees->data(FORMAT_INTERNE) == QByteArray::number(QCoreApplication::applicationPid());
}

QList<QByteArray> fichiers_locaux(const QMimeData* donnees) {
    QList<QByteArray> chemins;
    for (const QUrl& url : donnees->urls())
        if (url.isLocalFile())
            chemins << QFile::encodeName(url.toLocalFile());
    return chemins;
}

class GlisserDeposer : public QObject {
public:
    // La vue est notée d'avance : à la destruction de la fenêtre, des
    // événements passent encore ici quand la liste n'existe plus.
    explicit GlisserDeposer(Gestion_Fichiers* f)
        : QObject(f), f(f), vue_srce(f->Fichier_srce->viewport()), cadre_srce(f->Cadre_srce),
          cadre_dest(f->Cadre_dest), chemin_srce(f->Chemin_srce), chemin_dest(f->Chemin_dest) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        // Seuls l'appui et le mouvement touchent à la fenêtre : les autres
        // événements passent aussi pendant sa destruction.
        if (objet == vue_srce)
            return (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove) &&
                   tirer(e);
        const bool source = objet == cadre_srce || objet == chemin_srce;
        if (source || objet == cadre_dest || objet == chemin_dest)
            return recevoir(source, objet == cadre_srce || objet == cadre_dest, e);
        return false;
    }

private:
    // Glisser la souris dans la liste y choisit une plage, comme toujours :
    // le glisser-déposer ne part que lorsqu'elle quitte la liste. Partie tout
    // droit d'un fichier d'une sélection multiple (que l'appui a réduite à
    // lui), elle emporte toute la sélection d'avant l'appui.
    bool tirer(QEvent* e) {
        plateforme::ListeFichiers* liste = f->Fichier_srce;
        if (e->type() == QEvent::MouseButtonPress) {
            const auto* souris = static_cast<QMouseEvent*>(e);
            const QListWidgetItem* entree = liste->itemAt(souris->position().toPoint());
            sur_entree = souris->button() == Qt::LeftButton && entree;
            avant.clear();
            appuye = entree ? liste->row(entree) : -1;
            if (sur_entree && souris->modifiers() == Qt::NoModifier && entree->isSelected())
                avant = rangs_choisis();
            return false;
        }
        if (e->type() != QEvent::MouseMove || !sur_entree)
            return false;
        const auto* souris = static_cast<QMouseEvent*>(e);
        if (!(souris->buttons() & Qt::LeftButton)) {
            sur_entree = false;
            return false;
        }
        if (liste->viewport()->rect().contains(souris->position().toPoint()))
            return false;
        sur_entree = false;
        const EtatCommande& etat = etat_commande();
        if (etat.commande_en_cours || etat.mode_répertoire)
            return false;
        if (avant.size() > 1 && rangs_choisis() == QList<int>{appuye})
            for (int i : std::as_const(avant))
                liste->setSelected(i, true);
        lancer();
        return true;
    }

    QList<int> rangs_choisis() const {
        QList<int> rangs;
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            if (f->Fichier_srce->selected(i))
                rangs << i;
        return rangs;
    }

    QList<QUrl> choisis() const {
        QList<QUrl> urls;
        const plateforme::ListeFichiers* liste = f->Fichier_srce;
        for (int i = 0; i < liste->listCount(); ++i) {
            if (!f->sélection_totale && !liste->selected(i))
                continue;
            try {
                urls << QUrl::fromLocalFile(
                    plateforme::dos_vers_hote(plateforme::joindre(liste->path(), liste->list(i))));
            } catch (const plateforme::ErreurExecution&) {
                // unité retirée entre-temps : ce fichier ne part pas
            }
        }
        return urls;
    }

    void lancer() {
        const QList<QUrl> urls = choisis();
        if (urls.isEmpty())
            return;
        auto* donnees = new QMimeData;
        donnees->setUrls(urls); // text/uri-list, pour les autres programmes
        donnees->setData(FORMAT_INTERNE, QByteArray::number(QCoreApplication::applicationPid()));
        auto* glisser = new QDrag(f->Fichier_srce);
        glisser->setMimeData(donnees);
        glisser->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        // Le glisser a pris le bouton relâché : sans lui, la liste resterait
        // à choisir une plage et son clic suivant l'étendrait au lieu de
        // choisir un seul fichier. Relâché hors de toute entrée : pas de clic.
        const QPointF dehors(-1, -1);
        QMouseEvent relache(QEvent::MouseButtonRelease, dehors,
                            f->Fichier_srce->mapToGlobal(dehors), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(f->Fichier_srce->viewport(), &relache);
    }

    // 'cadre' : le cadre lui-même ; sur un champ de chemin, un texte déposé
    // garde son effet ordinaire.
    bool recevoir(bool source, bool cadre, QEvent* e) {
        const QEvent::Type type = e->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* depot = static_cast<QDropEvent*>(e);
        const QMimeData* donnees = depot->mimeData();
        const bool interne = vient_d_ici(donnees);
        const QList<QByteArray> chemins = fichiers_locaux(donnees);
        if (chemins.isEmpty())
            return cadre;
        // Le cadre SOURCE ne reçoit pas ce qui vient de sa propre liste.
        if ((interne && source) || etat_commande().commande_en_cours) {
            depot->ignore();
            return true;
        }
        const bool deplacer = interne && (depot->modifiers() & Qt::ShiftModifier);
        depot->setDropAction(deplacer ? Qt::MoveAction : Qt::CopyAction);
        depot->accept();
        if (type != QEvent::Drop)
            return true;
        // Après la fin du glisser : les commandes ouvrent leurs propres boîtes.
        Gestion_Fichiers* fenetre = f;
        if (interne)
            QTimer::singleShot(0, fenetre, [fenetre, deplacer] {
                deplacer ? fenetre->Déplacer_Click() : fenetre->Copier_Click();
            });
        else
            QTimer::singleShot(0, fenetre, [fenetre, chemins, source] {
                fenetre->Deposer_fichiers(chemins, source);
            });
        return true;
    }

    Gestion_Fichiers* f;
    const QObject* vue_srce;
    const QObject* cadre_srce;
    const QObject* cadre_dest;
    const QObject* chemin_srce;
    const QObject* chemin_dest;
    bool sur_entree = false;
    int appuye = -1;  // rang de l'entrée sous l'appui
    QList<int> avant; // sélection d'avant l'appui, s'il s'est fait sur elle
};

} // namespace

void Gestion_Fichiers::connecter_glisser_deposer() {
    auto* g = new GlisserDeposer(this);
    Fichier_srce->viewport()->installEventFilter(g);
    for (QWidget* w : {static_cast<QWidget*>(Cadre_srce), static_cast<QWidget*>(Cadre_dest)}) {
        w->setAcceptDrops(true);
        w->installEventFilter(g);
    }
    for (QWidget* w : {static_cast<QWidget*>(Chemin_srce), static_cast<QWidget*>(Chemin_dest)})
        w->installEventFilter(g);
}
