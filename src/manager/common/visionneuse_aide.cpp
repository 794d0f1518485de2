#include "manager/common/visionneuse_aide.h"
#include "manager/common/fenetre_principale.h"
#include "platform/navigation_aide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace aide {

namespace {
const QString SOMMAIRE = u"index.html"_s;
}

QStringList repertoires_candidats() {
    QStringList dirs;
    // Installé : <préfixe>/bin/kaldron et <préfixe>/share/kaldron/aide.
    if (QCoreApplication::instance())
        dirs << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                u"/../share/kaldron/aide"_s);
#ifdef KALDRON_AIDE_SOURCE
    dirs << QDir::cleanPath(QStringLiteral(KALDRON_AIDE_SOURCE));
#endif
    return dirs;
}

QString repertoire_pages() {
    for (const QString& d : repertoires_candidats())
        if (QFileInfo::exists(d + u'/' + SOMMAIRE))
            return d;
    return {};
}

QString page_de_fenetre(const QString& nom_fenetre) {
    static const QList<std::pair<QString, QString>> pages = {
        {u"Gestion_Fichiers"_s, u"principale.html"_s},  {u"Choix_Options"_s, u"options.html"_s},
        {u"Config_Kaldron"_s, u"configuration.html"_s}, {u"Cde_Chercher"_s, u"chercher.html"_s},
        {u"Cherche_Fichier"_s, u"resultats.html"_s},    {u"Corbeille"_s, u"corbeille.html"_s},
        {u"Info_Fichiers"_s, u"infos.html"_s},
    };
    for (const auto& [fenetre, page] : pages)
        if (fenetre == nom_fenetre)
            return page;
    return SOMMAIRE;
}

QString ancre_de(const QWidget* controle) {
    for (const QWidget* w = controle; w && !w->isWindow(); w = w->parentWidget()) {
        QString nom = w->objectName();
        // Les parties internes de Qt (qt_spinbox_lineedit...) ne sont pas des contrôles.
        if (!nom.isEmpty() && !nom.startsWith(u"qt_"_s))
            return nom;
    }
    return {};
}

Visionneuse_aide::Visionneuse_aide(QWidget* parent)
    : QWidget(parent, Qt::Window), Texte(new QTextBrowser(this)),
      Sommaire(new QPushButton(u"&Sommaire"_s, this)),
      Précédent(new QPushButton(u"&Précédent"_s, this)),
      Suivant(new QPushButton(u"S&uivant"_s, this)), Fermer(new QPushButton(u"&Fermer"_s, this)) {
    setObjectName(u"Visionneuse_aide"_s);
    setWindowTitle(u"Aide de KALDRON"_s);
    plateforme::disposer_fenetre_aide(this, Texte, {Sommaire}, Précédent, Suivant, Fermer);
    connect(Sommaire, &QPushButton::clicked, this, [this] { ouvrir(SOMMAIRE, QString()); });
}

void Visionneuse_aide::ouvrir(const QString& page, const QString& ancre) {
    const QString dir = repertoire_pages();
    if (dir.isEmpty()) {
        Texte->clear();
        QString liste;
        for (const QString& d : repertoires_candidats())
            liste += u"<li>"_s + d.toHtmlEscaped() + u"</li>"_s;
        Texte->setHtml(u"<h2>Aide introuvable</h2><p>Les pages d'aide de KALDRON n'ont été "
                       "trouvées dans aucun de ces répertoires :</p><ul>"_s +
                       liste + u"</ul>"_s);
    } else {
        QUrl url = QUrl::fromLocalFile(dir + u'/' + page);
        if (!ancre.isEmpty())
            url.setFragment(ancre);
        Texte->setSource(url);
    }
    show();
    raise();
    activateWindow();
}

QUrl Visionneuse_aide::source() const {
    return Texte->source();
}

Visionneuse_aide* visionneuse() {
    static QPointer<Visionneuse_aide> unique;
    if (!unique) {
        // Fenêtre indépendante, mais détruite avec la fenêtre principale.
        unique = new Visionneuse_aide(fenetre_principale());
        unique->setAttribute(Qt::WA_DeleteOnClose);
    }
    return unique;
}

void ouvrir_aide_sur(const QWidget* controle) {
    const QWidget* fenetre = controle ? controle->window() : nullptr;
    visionneuse()->ouvrir(page_de_fenetre(fenetre ? fenetre->objectName() : QString()),
                          ancre_de(controle));
}

} // namespace aide
