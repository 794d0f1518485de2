// Formats de nombres, dates et heures, numéro de jour, twips.
#include "platform/formats.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <cmath>

namespace plateforme {

namespace {

// Origine du numéro de jour : le jour 0.
const QDate origine_jours(1899, 12, 30);

// Résolution par défaut quand aucun écran n'est là (tests, outils sans GUI).
constexpr double ppp_defaut = 96.0;
constexpr double twips_par_pouce = 1440.0;

QString chiffres(quint64 magnitude) {
    return QString::number(magnitude);
}

quint64 magnitude(qint64 valeur) {
    // Passe par le non signé : -INT64_MIN ne tient pas dans un qint64.
    return valeur < 0 ? quint64(0) - quint64(valeur) : quint64(valeur);
}

QScreen* ecran_principal() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    return QGuiApplication::primaryScreen();
}

double ppp_x() {
    const QScreen* ecran = ecran_principal();
    return ecran != nullptr ? ecran->logicalDotsPerInchX() : ppp_defaut;
}

double ppp_y() {
    const QScreen* ecran = ecran_principal();
    return ecran != nullptr ? ecran->logicalDotsPerInchY() : ppp_defaut;
}

int vers_pixels(double twips, double ppp) {
    return int(std::lround(twips * ppp / twips_par_pouce));
}

QElapsedTimer& chronometre() {
    static QElapsedTimer chrono = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return chrono;
}

// Démarre le chronomètre au chargement du programme plutôt qu'au premier appel.
[[maybe_unused]] const bool chrono_demarre = (chronometre(), true);

// Lecture d'un nombre en tête de texte, façon Val : curseur sur le texte.
struct Lecteur {
    const QString& texte;
    qsizetype pos = 0;

    QChar courant() const { return pos < texte.size() ? texte[pos] : QChar(); }
    bool chiffre() const { return courant() >= u'0' && courant() <= u'9'; }
    bool prendre(QChar c) {
        if (courant().toUpper() != c)
            return false;
        ++pos;
        return true;
    }
    QString chiffres() {
        const qsizetype debut = pos;
        while (chiffre())
            ++pos;
        return texte.mid(debut, pos - debut);
    }
};

void sauter_blancs(Lecteur& l) {
    while (l.courant() == u' ' || l.courant() == u'\t' || l.courant() == u'\n')
        ++l.pos;
}

int valeur_chiffre(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return -1;
}

// "&H1F", "&O17" : entier non signé dans la base donnée.
double val_base(Lecteur& l, int base) {
    double valeur = 0;
    for (int c = valeur_chiffre(l.courant()); c >= 0 && c < base; c = valeur_chiffre(l.courant())) {
        valeur = valeur * base + c;
        ++l.pos;
    }
    return valeur;
}

// Exposant "E-5" (ou "D-5") ; rien n'est pris s'il n'y a pas de chiffre.
QString exposant(Lecteur& l) {
    const qsizetype debut = l.pos;
    if (!l.prendre(u'E') && !l.prendre(u'D'))
        return {};
    QString signe = l.prendre(u'-') ? QStringLiteral("-") : QString();
    if (signe.isEmpty())
        l.prendre(u'+');
    const QString puissance = l.chiffres();
    if (puissance.isEmpty()) {
        l.pos = debut;
        return {};
    }
    return u'e' + signe + puissance;
}

double val_decimal(Lecteur& l) {
    const bool negatif = l.prendre(u'-');
    if (!negatif)
        l.prendre(u'+');
    const QString entiere = l.chiffres();
    QString fraction;
    if (l.prendre(u'.'))
        fraction = l.chiffres();
    if (entiere.isEmpty() && fraction.isEmpty())
        return 0;
    const QString nombre = (entiere.isEmpty() ? QStringLiteral("0") : entiere) + u'.' +
                           (fraction.isEmpty() ? QStringLiteral("0") : fraction) + exposant(l);
    const double valeur = nombre.toDouble();
    return negatif ? -valeur : valeur;
}

} // namespace

QString format_milliers(qint64 valeur) {
    QLocale locale;
    // La locale C omet les séparateurs par défaut ; "#,##0" les veut toujours.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(valeur);
}

QString format_zeros(qint64 valeur, int largeur) {
    const QString corps = chiffres(magnitude(valeur)).rightJustified(largeur, u'0');
    return valeur < 0 ? u'-' + corps : corps;
}

QString format_date(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yy"));
}

QString format_heure(const QTime& heure) {
    return heure.toString(QStringLiteral("h:mm"));
}

qint64 numero_jour(const QDate& date) {
    return origine_jours.daysTo(date);
}

QDate date_du_numero(qint64 numero) {
    return origine_jours.addDays(numero);
}

QString str_nombre(qint64 valeur) {
    const QString texte = QString::number(valeur);
    return valeur < 0 ? texte : u' ' + texte;
}

double val(const QString& texte) {
    Lecteur l{texte};
    sauter_blancs(l);
    if (l.prendre(u'&')) {
        if (l.prendre(u'H'))
            return val_base(l, 16);
        if (l.prendre(u'O'))
            return val_base(l, 8);
        return 0;
    }
    return val_decimal(l);
}

int twips_vers_pixels_x(double twips) {
    return vers_pixels(twips, ppp_x());
}

int twips_vers_pixels_y(double twips) {
    return vers_pixels(twips, ppp_y());
}

double pixels_vers_twips_x(int pixels) {
    return pixels * twips_par_pouce / ppp_x();
}

double pixels_vers_twips_y(int pixels) {
    return pixels * twips_par_pouce / ppp_y();
}

double secondes_monotones() {
    return double(chronometre().nsecsElapsed()) / 1e9;
}

} // namespace plateforme
