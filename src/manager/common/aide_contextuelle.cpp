#include "manager/common/aide_contextuelle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

namespace aide {

namespace {

const char* const PROPRIETE_TEXTE = "texte_aide";
const char* const PROPRIETE_QUAND = "aide_declencheur";
const char* const PROPRIETE_VIDER = "aide_vider";
const char* const PROPRIETE_F1 = "aide_f1";
const char* const PROPRIETE_CONTROLE = "aide_controle"; // viewport -> vue

Branchement& branchement() {
    static Branchement b;
    return b;
}

// Contrôle dont dépend 'objet' : la vue pour son viewport, sinon lui-même.
QWidget* controle_de(QObject* objet) {
    auto* w = qobject_cast<QWidget*>(objet);
    if (!w)
        return nullptr;
    if (auto* vue = w->property(PROPRIETE_CONTROLE).value<QWidget*>())
        return vue;
    return w;
}

// Vrai quand 'w' ou un de ses parents jusqu'à 'fond' (exclu) a un texte.
bool sous_un_controle_aide(QWidget* w, const QWidget* fond) {
    for (; w && w != fond; w = w->parentWidget())
        if (!w->property(PROPRIETE_TEXTE).toString().isEmpty())
            return true;
    return false;
}

class Filtre : public QObject {
public:
    static Filtre& instance() {
        static Filtre* f = [] {
            auto* nouveau = new Filtre;
            // Détruit avec l'application : jamais après elle.
            nouveau->setParent(QCoreApplication::instance());
            return nouveau;
        }();
        return *f;
    }

    bool eventFilter(QObject* objet, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            survol(objet, e);
            break;
        case QEvent::FocusIn:
            declencher(objet, Declencheur::Focus);
            break;
        case QEvent::MouseButtonPress:
            declencher(objet, Declencheur::Clic);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void declencher(QObject* objet, Declencheur quand) {
        QWidget* c = controle_de(objet);
        if (!c || !mode_actif())
            return;
        const QVariant q = c->property(PROPRIETE_QUAND);
        if (!q.isValid() || q.toInt() != static_cast<int>(quand))
            return;
        afficher(c->property(PROPRIETE_TEXTE).toString());
    }

    void survol(QObject* objet, QEvent* e) {
        QWidget* c = controle_de(objet);
        if (!c || !mode_actif())
            return;
        if (c->property(PROPRIETE_VIDER).toBool()) {
            // Le fond reçoit aussi les mouvements au-dessus des contrôles
            // qui ne suivent pas la souris : ceux qui ont un texte gardent
            // le leur.
            if (e->type() == QEvent::MouseMove) {
                const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
                if (sous_un_controle_aide(c->childAt(p), c))
                    return;
            }
            afficher(QString());
            return;
        }
        declencher(objet, Declencheur::Survol);
    }
};

// Filtre de l'application pour F1 : la touche va au contrôle focalisé, qui
// peut être créé après l'installation.
class FiltreF1 : public QObject {
public:
    static FiltreF1& instance() {
        static FiltreF1* f = [] {
            auto* nouveau = new FiltreF1;
            nouveau->setParent(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(nouveau);
            return nouveau;
        }();
        return *f;
    }

    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::KeyPress)
            return touche(objet, static_cast<QKeyEvent*>(e));
        return false;
    }

private:
    // F1 dans une fenêtre qui l'a demandé : le contrôle focalisé part avec.
    bool touche(QObject* objet, QKeyEvent* e) {
        if (e->key() != Qt::Key_F1)
            return false;
        auto* w = qobject_cast<QWidget*>(objet);
        if (!w || !w->window()->property(PROPRIETE_F1).toBool())
            return false;
        const auto& b = branchement();
        if (!b.touche_f1)
            return false;
        // F1 tenu enfoncé ne bascule qu'une fois, et n'atteint pas le contrôle.
        if (e->isAutoRepeat())
            return true;
        QWidget* focalise = w;
        if (w->isWindow() && w->focusWidget())
            focalise = w->focusWidget();
        b.touche_f1(focalise);
        return true;
    }
};

// Bulle flottante d'une liste.
class Bulle : public QObject {
public:
    explicit Bulle(QAbstractItemView* liste) : QObject(liste), m_liste(liste) {
        liste->viewport()->setMouseTracking(true);
        liste->viewport()->installEventFilter(this);
        liste->installEventFilter(this);
        connect(liste->verticalScrollBar(), &QScrollBar::valueChanged, this, &Bulle::cacher);
        connect(liste->horizontalScrollBar(), &QScrollBar::valueChanged, this, &Bulle::cacher);
        // Des lignes ajoutées (les trouvés d'une recherche en cours) ou ôtées
        // déplacent l'entrée sous la bulle.
        if (QAbstractItemModel* modele = liste->model()) {
            connect(modele, &QAbstractItemModel::rowsInserted, this, &Bulle::cacher);
            connect(modele, &QAbstractItemModel::rowsRemoved, this, &Bulle::cacher);
            connect(modele, &QAbstractItemModel::modelReset, this, &Bulle::cacher);
        }
    }

    bool eventFilter(QObject* objet, QEvent* e) override {
        if (objet == m_zone) {
            if (e->type() == QEvent::Leave)
                cacher();
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease ||
                e->type() == QEvent::MouseButtonDblClick)
                return renvoyer(static_cast<QMouseEvent*>(e));
            if (e->type() == QEvent::MouseMove && m_zone)
                m_zone->deselect(); // le texte de la bulle ne se sélectionne pas
            return false;
        }
        switch (e->type()) {
        case QEvent::MouseMove:
            if (objet == m_liste->viewport())
                suivre(static_cast<QMouseEvent*>(e)->position().toPoint());
            break;
        case QEvent::Leave:
            // La bulle recouvre la liste : y entrer n'est pas sortir.
            // Fenêtre à part, elle peut n'avoir pas encore reçu l'entrée : la
            // place de la souris en décide aussi.
            QTimer::singleShot(0, this, [this] {
                if (m_zone && !m_zone->underMouse() && !m_liste->viewport()->underMouse() &&
                    !(m_zone->isVisible() && m_zone->geometry().contains(QCursor::pos())))
                    cacher();
            });
            break;
        case QEvent::Hide:
        case QEvent::Wheel:
            cacher();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void suivre(QPoint p) {
        const QModelIndex index = m_liste->indexAt(p);
        if (!index.isValid()) {
            cacher();
            return;
        }
        const QString texte = index.data(Qt::DisplayRole).toString();
        const QRect rect = m_liste->visualRect(index);
        const int largeur = m_liste->fontMetrics().horizontalAdvance(texte) + 8;
        if (texte.isEmpty() || rect.left() + largeur <= m_liste->viewport()->width()) {
            cacher();
            return;
        }
        if (m_zone && m_zone->isVisible() && m_index == index)
            return;
        creer_zone();
        m_index = index;
        m_zone->setText(texte);
        m_zone->setCursorPosition(0);
        // La bulle est une fenêtre à elle : la ligne entière déborde de la
        // fenêtre de la liste, et ne s'arrête qu'au bord de l'écran.
        const QPoint origine = m_liste->viewport()->mapToGlobal(rect.topLeft());
        const int hauteur = qMax(rect.height(), m_zone->sizeHint().height());
        QRect zone(origine.x(), origine.y() - (hauteur - rect.height()) / 2,
                   m_zone->fontMetrics().horizontalAdvance(texte) + bords_zone() + 2, hauteur);
        if (const QScreen* ecran = m_liste->screen()) {
            const QRect dispo = ecran->availableGeometry();
            zone.setWidth(qMin(zone.width(), dispo.width()));
            zone.moveLeft(qBound(dispo.left(), zone.left(), dispo.right() + 1 - zone.width()));
        }
        m_zone->setGeometry(zone);
        m_zone->show();
        m_zone->raise();
    }

    void creer_zone() {
        if (m_zone)
            return;
        m_zone = new QLineEdit(m_liste->window());
        m_zone->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        m_zone->setObjectName(QStringLiteral("Tip"));
        m_zone->setReadOnly(true);
        m_zone->setFocusPolicy(Qt::NoFocus);
        m_zone->setMouseTracking(true);
        m_zone->installEventFilter(this);
        m_zone->hide();
    }

    // Cadre et marges de la zone de texte, comme elle les compte elle-même
    // (sa largeur conseillée vaut 17 'x' plus ces bords).
    int bords_zone() const {
        return m_zone->sizeHint().width() - 17 * m_zone->fontMetrics().horizontalAdvance(u'x');
    }

    void cacher() {
        if (m_zone)
            m_zone->hide();
        m_index = QPersistentModelIndex();
    }

    // Les clics sur la bulle vont à l'entrée qu'elle recouvre.
    bool renvoyer(QMouseEvent* e) {
        if (!m_index.isValid())
            return true;
        QWidget* vp = m_liste->viewport();
        const QRect rect = m_liste->visualRect(m_index);
        const QPoint local(rect.left() + 2, rect.center().y());
        QMouseEvent copie(e->type(), local, vp->mapToGlobal(local), e->button(), e->buttons(),
                          e->modifiers());
        const QEvent::Type type = e->type();
        if (type == QEvent::MouseButtonDblClick)
            cacher();
        QCoreApplication::sendEvent(vp, &copie);
        return true;
    }

    QAbstractItemView* m_liste;
    QPointer<QLineEdit> m_zone;
    QPersistentModelIndex m_index;
};

} // namespace

void brancher(Branchement b) {
    branchement() = std::move(b);
}

void debrancher() {
    branchement() = Branchement{};
}

void attacher(QWidget* controle, const QString& texte, Declencheur quand) {
    if (!controle)
        return;
    controle->setProperty(PROPRIETE_TEXTE, texte);
    controle->setProperty(PROPRIETE_QUAND, static_cast<int>(quand));
    controle->installEventFilter(&Filtre::instance());
    // Les listes reçoivent souris et survol par leur viewport.
    if (auto* zone = qobject_cast<QAbstractScrollArea*>(controle)) {
        zone->viewport()->setProperty(PROPRIETE_CONTROLE, QVariant::fromValue<QWidget*>(controle));
        zone->viewport()->installEventFilter(&Filtre::instance());
    }
}

void vider_au_survol(QWidget* controle) {
    if (!controle)
        return;
    controle->setProperty(PROPRIETE_VIDER, true);
    controle->setMouseTracking(true);
    controle->installEventFilter(&Filtre::instance());
}

void installer_f1(QWidget* fenetre) {
    if (!fenetre)
        return;
    fenetre->window()->setProperty(PROPRIETE_F1, true);
    FiltreF1::instance();
}

bool mode_actif() {
    const auto& b = branchement();
    return b.mode_actif && b.mode_actif();
}

void afficher(const QString& texte) {
    const auto& b = branchement();
    if (b.afficher)
        b.afficher(texte);
}

QString texte_de_repos() {
    return QStringLiteral(
        "  Cliquez sur un élément de la fenêtre de KALDRON ou bien cliquez sur le "
        "point d'interrogation ou appuyez sur la touche F1 pour arrêter l'aide.");
}

void fenetre_fermee() {
    if (mode_actif())
        afficher(texte_de_repos());
}

QString texte_de(const QWidget* controle) {
    return controle ? controle->property(PROPRIETE_TEXTE).toString() : QString();
}

void tip_sur_liste(QAbstractItemView* liste) {
    if (!liste || liste->property("aide_tip").toBool())
        return;
    liste->setProperty("aide_tip", true);
    new Bulle(liste);
}

} // namespace aide
