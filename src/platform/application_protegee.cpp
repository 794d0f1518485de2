#include "platform/application_protegee.h"
#include "platform/dialogues.h"
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <new>

using namespace Qt::StringLiterals;

namespace plateforme {

ApplicationProtegee::ApplicationProtegee(int& argc, char** argv) : QApplication(argc, argv) {
    installer_traduction_qt(*this);
}

// Les dialogues standard de Qt (fichiers, questions) parlent français comme
// le reste, quelle que soit la langue de la session.
bool installer_traduction_qt(QCoreApplication& application) {
    auto* traduction = new QTranslator(&application);
    if (!traduction->load(QLocale(QLocale::French, QLocale::France), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduction;
        return false;
    }
    return QCoreApplication::installTranslator(traduction);
}

bool poser_icone_programme(const QString& chemin_png) {
    // Le format nommé ne suffit pas : tant que la devinette reste permise,
    // chaque greffon d'images est chargé pour dire s'il lit ce format, le
    // plus long du démarrage. Le lecteur de PNG intégré à Qt suffit.
    QImageReader lecteur(chemin_png, "png");
    lecteur.setAutoDetectImageFormat(false);
    const QImage image = lecteur.read();
    if (image.isNull())
        return false;
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(image)));
    return true;
}

ErreurExecution ApplicationProtegee::erreur_en_cours() {
    try {
        throw;
    } catch (const ErreurExecution& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return ErreurExecution(ERR_MEMOIRE);
    } catch (const std::exception& e) {
        return ErreurExecution(ERR_APPEL_INCORRECT, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return ErreurExecution(ERR_APPEL_INCORRECT);
    }
}

bool ApplicationProtegee::notify(QObject* destinataire, QEvent* evenement) {
    ++m_profondeur;
    try {
        const bool resultat = QApplication::notify(destinataire, evenement);
        --m_profondeur;
        return resultat;
    } catch (...) {
        --m_profondeur;
        signaler(erreur_en_cours(), m_profondeur > 0);
        return true;
    }
}

bool ApplicationProtegee::proteger(const std::function<void()>& etape) {
    try {
        etape();
        return true;
    } catch (...) {
        signaler(erreur_en_cours(), m_profondeur > 0);
        return false;
    }
}

void ApplicationProtegee::signaler(const ErreurExecution& erreur, bool imbriquee) {
    QTextStream(stderr) << u"Erreur d'exécution %1 non traitée : %2\n"_s.arg(erreur.numero())
                               .arg(erreur.description());
    // Une erreur pendant le rapport lui-même ne relance pas un rapport.
    if (m_dans_rapport)
        return;
    m_dans_rapport = true;
    try {
        if (m_rapport)
            m_rapport(erreur, imbriquee);
        else
            dialogues().message(
                u"Erreur d'exécution %1 :\r%2"_s.arg(erreur.numero()).arg(erreur.description()), 16,
                applicationName());
    } catch (...) {
        QTextStream(stderr) << u"Le rapport de l'erreur a lui-même échoué.\n"_s;
    }
    m_dans_rapport = false;
}

} // namespace plateforme
