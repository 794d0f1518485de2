// Aide contextuelle de la fenêtre principale (ligne Fenêtre, F1, "?"),
// "A propos", et bulles Tip des listes.
#include "manager/common/aide_contextuelle.h"
#include "manager/common/etat_commande.h"
#include "manager/common/visionneuse_aide.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/apropos.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/placement.h"
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Fenêtre sur laquelle l'aide commune est branchée.
Gestion_Fichiers* g_branchee = nullptr;

constexpr int TOUCHE_F1 = 112;

// Les parties d'un texte d'aide vont chacune à la ligne dans Fenêtre.
QString parties(std::initializer_list<QString> morceaux) {
    QStringList l(morceaux);
    return l.join(u'\n');
}

const QString TEXTE_ACTIVATION =
    u"  Vous avez activé l'aide du gestionnaire de fichiers en cliquant sur le point "
    "d'interrogation ou par appui sur la touche F1, "_s +
    u"il suffit de cliquer à nouveau sur ce point d'interrogation ou appuyer sur la touche F1 "
    "pour arrêter l'aide contextuelle."_s +
    u" Les informations seront affichées en plaçant le pointeur de souris sur la liste, le champ "
    "ou le bouton dont vous désirez être informé."_s;

// Événements de la fenêtre principale utiles à l'aide et aux bulles.
class FiltreAide : public QObject {
public:
    FiltreAide(Gestion_Fichiers* f) : QObject(f), m_f(f) { setObjectName(u"filtre_aide"_s); }

    bool eventFilter(QObject* objet, QEvent* e) override {
        if (objet == m_f->Tip)
            return evenement_tip(e);
        if (e->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            if (auto* w = qobject_cast<QWidget*>(objet); w && fond(w))
                survol_fond(w, p);
            else if (QWidget* c = controle_tip(objet))
                m_f->Afficher_tip(c, p);
        } else if (e->type() == QEvent::Leave && controle_tip(objet)) {
            // La bulle recouvre la liste : y passer n'est pas quitter l'entrée.
            QPointer<Gestion_Fichiers> f = m_f;
            QTimer::singleShot(0, m_f, [f] {
                if (f && f->liste_tip && !f->Tip->underMouse() && !f->liste_tip->underMouse())
                    f->Tip->hide();
            });
        }
        return false;
    }

private:
    bool fond(QWidget* w) const { return w == m_f || w == m_f->Cadre_srce || w == m_f->Cadre_dest; }

    // Le fond reçoit aussi les mouvements au-dessus des contrôles qui ne
    // suivent pas la souris : ceux qui ont un texte d'aide gardent le leur.
    void survol_fond(QWidget* fond, QPoint p) {
        for (QWidget* w = fond->childAt(p); w && w != fond; w = w->parentWidget())
            if (!aide::texte_de(w).isEmpty() || w == m_f->Tip)
                return;
        m_f->Form_MouseMove();
    }

    // Liste (par sa zone d'affichage) ou champ de chemin à bulle.
    QWidget* controle_tip(QObject* objet) const {
        for (QWidget* c :
             {static_cast<QWidget*>(m_f->Fichier_srce), static_cast<QWidget*>(m_f->Fichier_dest),
              static_cast<QWidget*>(m_f->Fichier_sél), static_cast<QWidget*>(m_f->Répertoire_srce),
              static_cast<QWidget*>(m_f->Répertoire_dest)})
            if (objet == static_cast<QAbstractItemView*>(c)->viewport())
                return c;
        if (objet == m_f->Chemin_srce || objet == m_f->Chemin_dest)
            return static_cast<QWidget*>(objet);
        return nullptr;
    }

    bool evenement_tip(QEvent* e) {
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            m_f->Tip_MouseDown(m->button(), m->modifiers());
            return true;
        }
        case QEvent::MouseButtonDblClick:
            m_f->Tip_DblClick();
            return true;
        case QEvent::MouseButtonRelease:
            return true;
        case QEvent::MouseMove:
            m_f->Tip_MouseMove();
            return false;
        case QEvent::Leave:
            if (m_f->liste_tip && !m_f->liste_tip->underMouse())
                m_f->Tip->hide();
            return false;
        default:
            return false;
        }
    }

    Gestion_Fichiers* m_f;
};

} // namespace

void Gestion_Fichiers::connecter_aide() {
    // Noms d'origine : les pages d'aide s'y ancrent.
    const std::pair<QWidget*, const char16_t*> noms[] = {
        {Cadre_srce, u"Cadre_srce"},
        {Cadre_dest, u"Cadre_dest"},
        {Titre_srce, u"Titre_srce"},
        {Titre_dest, u"Titre_dest"},
        {Unité_srce, u"Unité_srce"},
        {Unité_dest, u"Unité_dest"},
        {Répertoire_srce, u"Répertoire_srce"},
        {Répertoire_dest, u"Répertoire_dest"},
        {Fichier_srce, u"Fichier_srce"},
        {Fichier_dest, u"Fichier_dest"},
        {Fichier_sél, u"Fichier_sél"},
        {Chemin_srce, u"Chemin_srce"},
        {Chemin_dest, u"Chemin_dest"},
        {Sélection_fichiers, u"Sélection_fichiers"},
        {Ligne_commande, u"Ligne_commande"},
        {Bouton_suite, u"Bouton_suite"},
        {Copier, u"Copier"},
        {Déplacer, u"Déplacer"},
        {Renommer, u"Renommer"},
        {Effacer, u"Effacer"},
        {Créer, u"Créer"},
        {Supprimer, u"Supprimer"},
        {Info, u"Info"},
        {Exécuter, u"Exécuter"},
        {Editer, u"Editer"},
        {Visualiser, u"Visualiser"},
        {Imprimer, u"Imprimer"},
        {Chercher, u"Chercher"},
        {Mode, u"Mode"},
        {Sélecte, u"Sélecte"},
        {Croiser, u"Croiser"},
        {Quitter, u"Quitter"},
        {Arret, u"Arret"},
        {Corbeill, u"Corbeill"},
        {Options, u"Options"},
        {Configurer, u"Configurer"},
        {Aide, u"Aide"},
        {A_propos, u"A_propos"},
        {Prompt, u"Prompt"},
        {Ligne_message, u"Ligne_message"},
        {Espace_libre, u"Espace_libre"},
        {En_cours, u"En_cours"},
        {Jauge, u"Jauge"},
        {Tip, u"Tip"},
    };
    for (const auto& [w, nom] : noms)
        if (w->objectName().isEmpty())
            w->setObjectName(QString::fromUtf16(nom));

    // Ligne d'aide, sous la hauteur normale : visible quand la fenêtre grandit.
    Fenêtre = new QLabel(this);
    Fenêtre->setObjectName(u"Fenêtre"_s);
    Fenêtre->setWordWrap(true);
    Fenêtre->setTextFormat(Qt::PlainText); // un texte d'aide n'est jamais du HTML
    Fenêtre->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Fenêtre->setFrameShape(QFrame::Panel);
    Fenêtre->setFrameShadow(QFrame::Sunken);
    placer(Fenêtre, 60, HAUTEUR + 30, LARGEUR - 120, HAUTEUR_FENETRE_AIDE - 90);

    const QString commandes =
        u"  Ces boutons exécutent les commandes indiquées sur ceux-ci avec une "
        "demande préalable de confirmation si elle est paramètrée dans les "
        "options."_s;
    for (QPushButton* b :
         {Chercher, Configurer, Copier, Corbeill, Créer, Déplacer, Editer, Effacer, Exécuter,
          Imprimer, Info, Mode, Options, Quitter, Renommer, Supprimer, Visualiser})
        aide::attacher(b, commandes);
    aide::attacher(Aide,
                   parties({u"  Vous avez activé l'aide du gestionnaire de fichiers en cliquant "
                            "sur le point d'interrogation ou par appui sur la touche F1, "_s,
                            u"il suffit de cliquer à nouveau sur ce point d'interrogation ou "
                            "appuyer sur la touche F1 pour arrêter l'aide contextuelle."_s,
                            u" Les informations seront affichées en plaçant le pointeur de "
                            "souris sur la liste, le champ ou le bouton dont vous désirez "
                            "être informé."_s}));
    for (int i = 1; i <= 7; ++i)
        aide::attacher(Bouton[i], u"  Ces boutons exécutent les programmes ou appelent les "
                                  "programmes liés que vous avez paramétrés dans la commande "
                                  "'Configurer' option 'Boutons'."_s);
    aide::attacher(Bouton_suite, u"  Ce bouton fait apparaître les boutons programmés suivants par "
                                 "groupes de 7 (le défilement est cyclique)."_s);
    const QString chemin_suite =
        u"Il permet aussi de saisir au clavier un nouveau chemin ou uniquement le nom du "
        "répertoire souhaité et dans ce cas, une recherche sera effectuée sur tout le disque pour "
        "trouver le chemin."_s;
    aide::attacher(
        Chemin_dest,
        parties({u"  Ce champ visualise le chemin complet du répertoire 'DESTINATION' en "
                 "cours; au départ, c'est le chemin du répertoire initial indiqué dans "
                 "les options."_s,
                 chemin_suite}));
    aide::attacher(Chemin_srce,
                   parties({u"  Ce champ visualise le chemin complet du répertoire 'SOURCE' en "
                            "cours; au départ, c'est le chemin du répertoire initial indiqué dans "
                            "les options."_s,
                            chemin_suite}));
    aide::attacher(Croiser, parties({u"  Ce bouton fera une permutation entre le cadre 'SOURCE' et "
                                     "le cadre 'DESTINATION'."_s,
                                     u"Ceci permet rapidement de travailler sur les fichiers qui "
                                     "viennent d'être copiés ou déplacés par exemple ou d'opérer "
                                     "alternativement entre deux répertoires ou volumes "
                                     "différents."_s}));
    aide::attacher(Espace_libre,
                   parties({u"  Ce nombre indique en temps réel la place restante (en Kilo-octets) "
                            "sur l'unité destinataire."_s,
                            u"Ceci permet de savoir, en le comparant avec le total affiché pour "
                            "le(s) fichier(s) sélectionné(s), si la copie du(des) fichier(s) sera "
                            "acceptée."_s}));
    aide::attacher(Fichier_dest,
                   parties({u"  Cette liste de fichiers sert à contrôler qu'une copie ou un "
                            "déplacement de fichier(s) a bien été effectué ou pour visualiser le "
                            "contenu d'un répertoire autre que le 'SOURCE'."_s,
                            u"Une sélection de fichier dans cette liste entrainera un message "
                            "d'erreur."_s}));
    aide::attacher(
        Fichier_srce,
        parties({u"  Cette liste de fichiers permet de sélectionner un(des) fichier(s) "
                 "avant d'effectuer une commande."_s,
                 u"Un simple clic sélectionne uniquement le(s) fichier(s), un double-clic "
                 "exécutera le fichier si son extension est du type EXE, COM, BAT ou "
                 "PIF;"_s,
                 u" pour tous les autres types d'extension, le programme associé à "
                 "celle-ci dans le fichier WIN.INI sera lancé et à défaut l'éditeur de "
                 "texte paramètré."_s}));
    aide::attacher(
        Ligne_commande,
        u"  Ce champ permet de saisir une commande DOS ou Windows pour l'exécuter et "
        "sera enregistrée dans la liste déroulante associée. Cette liste mémorise les 30 "
        "dernières commandes."_s,
        aide::Declencheur::Focus);
    aide::attacher(Ligne_message,
                   u"  Cette ligne d'information indique à chaque sélection dans la liste de "
                   "fichiers 'SOURCE', le nombre et la taille globale du(des) fichier(s) "
                   "sélectionné(s)."_s);
    aide::attacher(Prompt,
                   u"  Ce champ permet d'ouvrir une fenêtre pour saisir une commande DOS ou "
                   "Windows qui sera exécutée dès l'appui sur la touche 'Entrée'."_s);
    aide::attacher(Répertoire_dest,
                   parties({u"  Cette liste de répertoires permet de sélectionner par un simple "
                            "clic le répertoire 'DESTINATION' avant d'exécuter une commande de "
                            "copie ou déplacement de fichier(s). La sélection provoquera"_s,
                            u"la mise à jour de la liste de fichiers 'DESTINATION' en concordance "
                            "avec le sélecteur de fichiers."_s,
                            u"Un clic sur la racine d'une nouvelle disquette remet à jour les "
                            "listes de répertoires et fichiers."_s}));
    aide::attacher(Répertoire_srce,
                   parties({u"  Cette liste de répertoires permet de sélectionner par un simple "
                            "clic le répertoire 'SOURCE'."_s,
                            u"La sélection provoquera la mise à jour de la liste de fichiers "
                            "'SOURCE' en concordance avec le sélecteur de fichiers. Un clic sur la "
                            "racine d'une disquette suite à un changement de celle-ci remet à jour "
                            "les listes de répertoires et fichiers."_s}));
    aide::attacher(
        Sélecte, parties({u"  Ce bouton permet de sélectionner l'ensemble des fichiers du "
                          "répertoire 'SOURCE' courant afin de lui appliquer une commande globale "
                          "(ou sélective si c'est une commande d'effacement : chaque fichier sera "
                          "proposé pour l'effacer ou non)."_s,
                          u" Un nouveau clic sur ce bouton ramène la sélection à un fichier."_s}));
    aide::attacher(Sélection_fichiers,
                   u"  Ce champ permet de saisir des caractères de sélection de fichiers avec les "
                   "mêmes règles que sous DOS, c'est-à-dire comprenant les caractères génériques * "
                   "(astérisque) et ?; par défaut, la valeur *.* autorise tous les fichiers. La "
                   "liste des sélections peut être modifiée avec la commande CONFIGURER, bouton "
                   "'Sélections' et sera effective au prochain lancement."_s,
                   aide::Declencheur::Focus);
    aide::attacher(Titre_dest,
                   u"  Ce cadre 'DESTINATION' n'est utilisé que pour les commandes COPIER et "
                   "DEPLACER ou pour visualiser le contenu d'un répertoire. Les autres commandes "
                   "n'utilisent que le cadre 'SOURCE' (à voir pour plus amples informations)."_s);
    aide::attacher(
        Titre_srce,
        parties({u"  Ce cadre 'SOURCE' est utilisé pour toutes les commandes sur les "
                 "fichiers et les répertoires."_s,
                 u"Le principe général consiste à sélectionner un ou plusieurs fichiers "
                 "dans la liste 'SOURCE' puis"_s,
                 u" choisir si nécessaire (pour les commandes COPIER et DEPLACER) le "
                 "répertoire 'DESTINATION' et enfin cliquer sur la commande désirée."_s}));
    aide::attacher(Unité_dest,
                   u"  Cette liste déroulante permet de choisir le disque ou la disquette "
                   "'DESTINATION' pour les copies et déplacements de fichiers. Toutes les autres "
                   "commandes utilisent uniquement l'unité 'SOURCE'."_s,
                   aide::Declencheur::Focus);
    aide::attacher(Unité_srce,
                   u"  Cette liste déroulante permet de choisir le disque ou la disquette 'SOURCE' "
                   "sur lequel les commandes seront appliquées."_s,
                   aide::Declencheur::Focus);

    aide::Branchement b;
    b.mode_actif = [this] { return mode_aide; };
    b.afficher = [this](const QString& t) { ecrire_aide(t); };
    b.touche_f1 = [this](QWidget* focalise) { Form_KeyDown(TOUCHE_F1, focalise); };
    aide::brancher(std::move(b));
    g_branchee = this;
    aide::installer_f1(this);

    // Fond, cadres, listes et champs à bulle, et la bulle elle-même.
    auto* filtre = new FiltreAide(this);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Cadre_srce),
                       static_cast<QWidget*>(Cadre_dest), static_cast<QWidget*>(Chemin_srce),
                       static_cast<QWidget*>(Chemin_dest), static_cast<QWidget*>(Tip)}) {
        w->setMouseTracking(true);
        w->installEventFilter(filtre);
    }
    for (QAbstractItemView* l : {static_cast<QAbstractItemView*>(Fichier_srce),
                                 static_cast<QAbstractItemView*>(Fichier_dest),
                                 static_cast<QAbstractItemView*>(Fichier_sél),
                                 static_cast<QAbstractItemView*>(Répertoire_srce),
                                 static_cast<QAbstractItemView*>(Répertoire_dest)}) {
        l->viewport()->setMouseTracking(true);
        l->viewport()->installEventFilter(filtre);
        // Un défilement déplace les entrées sous la bulle.
        for (QScrollBar* barre : {l->verticalScrollBar(), l->horizontalScrollBar()})
            connect(barre, &QScrollBar::valueChanged, this, [this] { Tip->hide(); });
    }
    Tip->setFocusPolicy(Qt::NoFocus);

    // "?" ne prend pas le focus à la souris : la page d'aide s'ouvre sur le
    // contrôle que l'usager avait choisi.
    Aide->setFocusPolicy(Qt::TabFocus);
    commandes_construites.insert(Aide);
    Aide->setEnabled(true);
    connect(Aide, &QPushButton::clicked, this, [this] { Aide_Click(); });
    connect(A_propos, &QPushButton::clicked, this, [this] { A_propos_Click(); });
}

void Gestion_Fichiers::debrancher_aide() {
    // Les contrôles détruits après la fenêtre envoient encore des événements :
    // le filtre, qui lit les membres de la fenêtre, part avant eux.
    delete findChild<QObject*>(u"filtre_aide"_s, Qt::FindDirectChildrenOnly);
    if (g_branchee != this)
        return;
    aide::debrancher();
    g_branchee = nullptr;
}

void Gestion_Fichiers::ecrire_aide(const QString& texte) {
    texte_aide = texte;
    Fenêtre->setText(texte);
    // Le texte d'une fenêtre secondaire peut dépasser ceux de la principale.
    if (mode_aide) {
        const int manque = Fenêtre->heightForWidth(Fenêtre->width()) - Fenêtre->height();
        if (manque > 0) {
            const int ajout = hauteur_zone_aide(Fenêtre->height() + manque) - zone_aide;
            zone_aide += ajout;
            hauteur_fixe += ajout;
            placer_zone_aide();
            Form_Resize();
        }
    }
}

// Hauteur (twips) de la zone d'aide pour une ligne Fenêtre de 'pixels' de
// haut : jamais moins que la hauteur d'origine.
int Gestion_Fichiers::hauteur_zone_aide(int pixels) const {
    int zone = HAUTEUR_FENETRE_AIDE;
    while (plateforme::twips_vers_pixels_y(zone - 90) < pixels)
        zone += 15;
    return zone;
}

void Gestion_Fichiers::placer_zone_aide() {
    placer(Fenêtre, 60, HAUTEUR + 30, LARGEUR - 120, zone_aide - 90);
}

// Zone assez haute pour lire en entier le plus long des textes de la
// fenêtre, mesuré avec la police et la largeur de la ligne d'aide.
int Gestion_Fichiers::zone_aide_voulue() {
    QStringList textes{TEXTE_ACTIVATION, aide::texte_de_repos()};
    for (const QWidget* w : findChildren<QWidget*>())
        if (const QString t = aide::texte_de(w); !t.isEmpty() && w->window() == this)
            textes << t;
    const QString garde = Fenêtre->text();
    int pixels = 0;
    for (const QString& t : textes) {
        Fenêtre->setText(t);
        pixels = qMax(pixels, Fenêtre->heightForWidth(Fenêtre->width()));
    }
    Fenêtre->setText(garde);
    return hauteur_zone_aide(pixels);
}

void Gestion_Fichiers::Basculer_aide_contextuelle() {
    if (mode_aide) {
        hauteur_fixe -= zone_aide;
        zone_aide = 0;
        texte_aide.clear();
        mode_aide = false;
    } else if (!est_oui(reglages().aide_en_ligne)) {
        zone_aide = zone_aide_voulue();
        placer_zone_aide();
        hauteur_fixe += zone_aide;
        texte_aide = TEXTE_ACTIVATION;
        mode_aide = true;
    }
    Fenêtre->setText(texte_aide);
    Form_Resize();
}

void Gestion_Fichiers::Aide_Click() {
    Basculer_aide_contextuelle();
    if (est_oui(reglages().aide_en_ligne)) {
        QWidget* focalise = QApplication::focusWidget();
        aide::ouvrir_aide_sur(focalise && focalise->window() == this ? focalise : this);
    }
}

void Gestion_Fichiers::Form_KeyDown(int KeyCode, QWidget* focalise) {
    if (KeyCode != TOUCHE_F1)
        return;
    // La touche n'atteint jamais le contrôle : elle bascule l'aide, ou
    // ouvre la page du contrôle quand l'aide en ligne est choisie.
    Basculer_aide_contextuelle();
    if (est_oui(reglages().aide_en_ligne))
        aide::ouvrir_aide_sur(focalise ? focalise : this);
}

void Gestion_Fichiers::A_propos_Click() {
    if (!apropos) {
        apropos = new Apropos({}, this);
        apropos->setWindowModality(Qt::ApplicationModal);
    }
    apropos->Form_Load();
    apropos->OK->show();
    apropos->show();
    apropos->raise();
}

void Gestion_Fichiers::Form_MouseMove() {
    Tip->hide();
    drapeau_tip = true;
    if (mode_aide)
        ecrire_aide(QString());
}

// ---------------------------------------------------------------- bulles

namespace {

// Raccourcit 'texte' à 'largeur' pixels : les répertoires du milieu d'un
// chemin deviennent " ...\", la fin d'un nom devient " ...".
QString raccourcir(const QString& texte, const QFontMetrics& m, int largeur) {
    if (m.horizontalAdvance(texte) <= largeur)
        return texte;
    const qsizetype premiere = texte.indexOf(u'\\');
    if (premiere >= 0) {
        QString reste = texte.mid(premiere + 1);
        const QString tete = texte.left(premiere + 1) + u" ...\\"_s;
        while (m.horizontalAdvance(tete + reste) > largeur) {
            const qsizetype barre = reste.indexOf(u'\\');
            if (barre < 0)
                break;
            reste = reste.mid(barre + 1);
        }
        if (m.horizontalAdvance(tete + reste) <= largeur)
            return tete + reste;
    }
    QString debut = texte;
    while (!debut.isEmpty() && m.horizontalAdvance(debut + u" ..."_s) > largeur)
        debut.chop(1);
    return debut + u" ..."_s;
}

} // namespace

void Gestion_Fichiers::Afficher_tip(QWidget* controle, QPoint position) {
    QString texte;
    QString affiche; // tel que le contrôle le montre, pour juger s'il tient
    QRect zone;      // place de l'entrée, dans les coordonnées de 'cadre'
    QWidget* cadre;  // widget qui porte ces coordonnées
    int debut_texte; // décalage du texte dans l'entrée (icône, marge)
    int index = -1;
    if (auto* champ = qobject_cast<QLineEdit*>(controle)) {
        texte = champ->text();
        affiche = texte;
        zone = champ->rect();
        cadre = champ;
        debut_texte = 4;
    } else {
        auto* liste = static_cast<QListWidget*>(controle);
        QListWidgetItem* entree = liste->itemAt(position);
        if (!entree) {
            Tip->hide();
            return;
        }
        index = liste->row(entree);
        affiche = entree->text();
        texte = affiche.trimmed();
        zone = liste->visualItemRect(entree);
        cadre = liste->viewport();
        debut_texte = 4 + (entree->icon().isNull() ? 0 : liste->iconSize().width() + 4);
        // Les répertoires : la bulle n'a pas d'icône, "Rép" en tient lieu.
        if (controle == Répertoire_srce || controle == Répertoire_dest)
            texte = u"Rép "_s + texte;
    }
    const QFontMetrics m(Tip->font());
    const bool tient =
        zone.left() + debut_texte + QFontMetrics(controle->font()).horizontalAdvance(affiche) + 4 <=
        cadre->width();
    if (texte.isEmpty() || tient) {
        Tip->hide();
        return;
    }
    const int marge = 12; // cadre et marges internes de la zone de texte
    texte = raccourcir(texte, m, width() - marge);
    if (Tip->isVisible() && liste_tip == controle && index_tip == index && Tip->text() == texte)
        return;
    const int largeur = m.horizontalAdvance(texte) + marge;
    const int hauteur = qMax(zone.height() + 4, m.height() + 6);
    QPoint coin = cadre->mapTo(this, zone.topLeft());
    coin.ry() -= (hauteur - zone.height()) / 2;
    coin.setX(qBound(0, coin.x(), width() - largeur));
    liste_tip = controle;
    index_tip = index;
    Tip->setText(texte);
    Tip->setCursorPosition(0);
    Tip->setGeometry(coin.x(), coin.y(), largeur, hauteur);
    Tip->raise();
    Tip->show();
    drapeau_tip = false;
}

void Gestion_Fichiers::Tip_MouseMove() {
    Tip->deselect();
}

void Gestion_Fichiers::Tip_DblClick() {
    if (liste_tip == Fichier_srce || liste_tip == Fichier_sél) {
        Tip->hide();
        Fichier_srce_DblClick();
    }
}

void Gestion_Fichiers::Tip_MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers touches) {
    if (liste_tip == Fichier_srce && etat_commande().mode_répertoire) {
        Tip->hide();
        Fichier_srce_MouseDown();
        return;
    }
    if (bouton != Qt::LeftButton)
        return;
    // Sur une liste de fichiers la bulle reste : le second appui d'un
    // double clic doit la trouver encore là.
    if (liste_tip != Fichier_srce && liste_tip != Fichier_sél)
        Tip->hide();
    if (auto* champ = qobject_cast<QLineEdit*>(liste_tip)) {
        champ->setFocus(Qt::MouseFocusReason);
        return;
    }
    if (auto* liste = qobject_cast<QListWidget*>(liste_tip))
        cliquer_entree_tip(liste, touches);
}

// Le clic sur la bulle vaut un clic sur l'entrée qu'elle recouvre.
void Gestion_Fichiers::cliquer_entree_tip(QListWidget* liste, Qt::KeyboardModifiers touches) {
    if (index_tip < 0 || index_tip >= liste->count())
        return;
    if (liste == Fichier_dest) {
        Fichier_dest_Click();
        return;
    }
    // Avec Maj, la plage part de l'entrée courante (l'ancre), qui reste en place.
    const int ancre = liste->currentRow();
    const bool plage = (touches & Qt::ShiftModifier) &&
                       liste->selectionMode() == QAbstractItemView::ExtendedSelection &&
                       ancre >= 0 && ancre < liste->count();
    if (plage) {
        liste->clearSelection();
        for (int i = qMin(ancre, index_tip); i <= qMax(ancre, index_tip); ++i)
            liste->item(i)->setSelected(true);
    } else {
        liste->setCurrentRow(index_tip, QItemSelectionModel::ClearAndSelect);
    }
    if (liste == Fichier_srce)
        Fichier_srce_Click();
    else if (liste == Fichier_sél)
        Fichier_sél_Click();
    else if (liste == Répertoire_srce)
        Répertoire_srce_Click();
    else if (liste == Répertoire_dest)
        Répertoire_dest_Click();
}
