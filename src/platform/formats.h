#pragma once
// Formats de nombres, dates et heures, numéro de jour, twips.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QtGlobal>

namespace plateforme {

// "#,##0" : milliers groupés selon la locale, sans décimales.
QString format_milliers(qint64 valeur);
// "0##", "0#######" : complété de zéros à gauche jusqu'à 'largeur' chiffres
// (3 et 8) ; un nombre plus long garde tous ses chiffres.
QString format_zeros(qint64 valeur, int largeur);
QString format_date(const QDate& date);   // "dd/mm/yy"
QString format_heure(const QTime& heure); // "h:mm"

// Numéro de jour : jours depuis le 30 décembre 1899.
qint64 numero_jour(const QDate& date);
QDate date_du_numero(qint64 numero);

// Conversion nombre -> texte avec le blanc de tête des nombres positifs.
QString str_nombre(qint64 valeur);
// Nombre en tête d'un texte (blancs sautés, arrêt au premier caractère non
// numérique) ; 0 s'il n'y en a pas.
double val(const QString& texte);

// Twips : 1440 par pouce, selon la résolution logique de l'écran.
int twips_vers_pixels_x(double twips);
int twips_vers_pixels_y(double twips);
double pixels_vers_twips_x(int pixels);
double pixels_vers_twips_y(int pixels);

// Secondes depuis une origine monotone (attentes qui passent minuit).
double secondes_monotones();

} // namespace plateforme
