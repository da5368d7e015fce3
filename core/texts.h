#pragma once

#include <QString>

#include <array>

/// Every Catalan text the window shows or says, written exactly, blanks included: the window's
/// own, the results, and what a screen reader says of the controls and the results.
namespace texts {

// The title and the menu commands. The ampersand marks the letter that Alt takes to the
// command; it is not shown as text.
inline const QString caption = QStringLiteral("Recta");
inline const QString esborrar = QStringLiteral("&esborrar");
inline const QString novaRecta = QStringLiteral("&nova recta");

// The message, the verdicts of a point test and how two lines meet.
inline const QString missingData = QStringLiteral(" falten dades");
inline const QString onLine = QStringLiteral("Està en la recta");
inline const QString offLine = QStringLiteral("No està en la recta");
inline const QString onVerticalLine = QStringLiteral("està en la recta");
inline const QString offVerticalLine = QStringLiteral("no està en la recta");
inline const QString coincident = QStringLiteral("coincidents");
inline const QString parallel = QStringLiteral("paral·leles");

/// Why a typed equation or coordinate is refused, shown in the message box, which a screen reader
/// reads out as it is: in words, without the symbols a voice would name. %1 is the letter or
/// sign concerned, or the power in words ("x al quadrat").
struct Refusals
{
    QString empty
        = QStringLiteral("Escriviu l'equació d'una recta, per exemple y igual a 2x més 3.");
    QString noEquals = QStringLiteral("Falta el signe igual.");
    QString manyEquals = QStringLiteral("Hi ha més d'un signe igual.");
    QString missing = QStringLiteral("Hi falta un nombre, la x o la y.");
    QString otherLetter = QStringLiteral("Només hi poden sortir les lletres x i y, no «%1».");
    QString unknownSign = QStringLiteral("No s'entén el signe «%1».");
    QString numberAfterNumber = QStringLiteral("Falta un signe entre dos nombres.");
    QString numberAfterVariable = QStringLiteral("El nombre va davant de la x, com a 2x, no x2.");
    QString unclosed = QStringLiteral("Falta tancar un parèntesi.");
    QString unopened = QStringLiteral("Sobra un parèntesi tancat.");
    QString nonLinear = QStringLiteral("Només rectes, %1 no hi pot ser.");
    QString divisionByVariable = QStringLiteral("Només rectes, no es pot dividir per %1.");
    QString divisionByZero = QStringLiteral("Divisió per zero.");
    QString noVariable = QStringLiteral("No és una recta, no hi queda ni la x ni la y.");
    QString tooLarge = QStringLiteral("Nombre massa gran per dibuixar-lo.");
    QString tooDeep = QStringLiteral("Massa parèntesis un dins de l'altre.");
    /// A power or a product, in words.
    QString squared = QStringLiteral("%1 al quadrat");
    QString cubed = QStringLiteral("%1 al cub");
    QString raised = QStringLiteral("%1 elevat a %2");
    QString product = QStringLiteral("x per y");
    /// A coordinate field whose text is not a number: "La x del punt A no és un nombre".
    QString notANumber = QStringLiteral("La %1 del punt %2 no és un nombre");
    QString testPoint = QStringLiteral("de prova");
};
inline const Refusals refused;

// The plane's menu.
inline const QString copyPicture = QStringLiteral("Copia la imatge");
inline const QString printPicture = QStringLiteral("Imprimeix…");
inline const QString pointByKeys = QStringLiteral("Posa un punt amb les fletxes");
inline const QString listenToLine = QStringLiteral("Escolta la recta");
inline const QString describeLine = QStringLiteral("Descriu la recta");

/// What a screen reader says of a control.
struct ControlTexts
{
    QString name;
    QString description;
};

inline const ControlTexts pointX[3] = {
    { QStringLiteral("Coordenada x del punt A"),
        QStringLiteral("Escriviu la x del primer punt de la recta") },
    { QStringLiteral("Coordenada x del punt B"),
        QStringLiteral("Escriviu la x del segon punt de la recta") },
    { QStringLiteral("Coordenada x del punt de prova"),
        QStringLiteral("Escriviu la x del punt que voleu comprovar") },
};
inline const ControlTexts pointY[3] = {
    { QStringLiteral("Coordenada y del punt A"),
        QStringLiteral("Escriviu la y del primer punt de la recta") },
    { QStringLiteral("Coordenada y del punt B"),
        QStringLiteral("Escriviu la y del segon punt i premeu Retorn per dibuixar la recta") },
    { QStringLiteral("Coordenada y del punt de prova"),
        QStringLiteral("Escriviu la y del punt i premeu Retorn per saber si és a la recta") },
};
inline const ControlTexts equation { QStringLiteral("Equació de la recta"),
    QStringLiteral("Mostra l'equació de la recta, o bé escriviu una equació, com y igual a 2 x "
                   "més 3, i premeu Retorn") };
inline const ControlTexts keptEquations { QStringLiteral("Equacions de les rectes anteriors"),
    QStringLiteral("Les equacions de la recta guardada i de les que s'hi han comparat") };
inline const ControlTexts worked { QStringLiteral("Comprovació del punt"),
    QStringLiteral("L'equació de la recta amb les coordenades del punt de prova") };
inline const ControlTexts verdict { QStringLiteral("Veredicte"),
    QStringLiteral("Diu si el punt de prova és a la recta") };
inline const ControlTexts table { QStringLiteral("Taula de valors"),
    QStringLiteral("L'equació i les coordenades dels punts A, B i el punt de prova") };
inline const ControlTexts plane { QStringLiteral("Pla cartesià"),
    QStringLiteral("Els eixos amb una quadrícula de punts de menys 20 a 20, encara sense cap "
                   "recta. Premeu F2 per sentir què hi ha al pla, F3 per escoltar-hi la recta, i "
                   "F4 per moure-us "
                   "pel pla amb les fletxes i posar-hi un punt amb Retorn.") };

/// What a voice says of the results: the sentences, and the words for the symbols of the shown
/// texts, which a voice reads by their names (Orca says "middle dot", "number", "dash", "left
/// paren" and "colon" at its usual punctuation level).
struct Spoken
{
    QString line = QStringLiteral("Recta %1.");
    QString kept = QStringLiteral("Recta guardada %1.");
    QString nothingKept = QStringLiteral("Cap recta guardada.");
    QString cleared = QStringLiteral("Pla esborrat.");
    QString typeAgain = QStringLiteral("Escriviu la x del punt A.");
    QString copied = QStringLiteral("Imatge del pla copiada.");
    QString test = QStringLiteral("Punt de prova x %1, y %2. %3.");
    QString worked = QStringLiteral("%1. %2.");
    QString crossing = QStringLiteral("Es tallen al punt x %1, y %2.");
    QString sameSlope = QStringLiteral("Són %1.");
    /// Where the cursor on the plane is, and the point placed there.
    QString position = QStringLiteral("x %1, y %2");
    QString onTheLine = QStringLiteral("a la recta");
    QString onXAxis = QStringLiteral("sobre l'eix de les x");
    QString onYAxis = QStringLiteral("sobre l'eix de les y");
    QString atOrigin = QStringLiteral("a l'origen");
    QString placed = QStringLiteral("%1 %2.");
    std::array<QString, 3> pointNames { QStringLiteral("Punt A"), QStringLiteral("Punt B"),
        QStringLiteral("Punt de prova") };
    QString equals = QStringLiteral("és igual a");
    QString notEquals = QStringLiteral("no és igual a");
    QString times = QStringLiteral("per");
    QString plus = QStringLiteral("més");
    QString minus = QStringLiteral("menys");
    QString tenToThe = QStringLiteral("per 10 elevat a");
    QChar decimalComma = u',';
    /// What the plane's sound shows, said after it: where the line crosses the axes and which
    /// way it goes.
    QString crossesBoth = QStringLiteral("Talla l'eix de les y a %1 i l'eix de les x a %2.");
    QString crossesYOnly = QStringLiteral("Talla l'eix de les y a %1 i no talla l'eix de les x.");
    QString crossesXOnly = QStringLiteral("Talla l'eix de les x a %1 i no talla l'eix de les y.");
    QString throughOrigin = QStringLiteral("Talla els dos eixos a l'origen.");
    QString isXAxis = QStringLiteral("És l'eix de les x.");
    QString isYAxis = QStringLiteral("És l'eix de les y.");
    QString rises = QStringLiteral("Puja d'esquerra a dreta, %1 per cada unitat de x.");
    QString falls = QStringLiteral("Baixa d'esquerra a dreta, %1 per cada unitat de x.");
    QString risesBarely = QStringLiteral("Puja molt poc d'esquerra a dreta.");
    QString fallsBarely = QStringLiteral("Baixa molt poc d'esquerra a dreta.");
    QString oneUnit = QStringLiteral("1 unitat");
    QString units = QStringLiteral("%1 unitats");
    QString horizontal = QStringLiteral("És horitzontal.");
    QString vertical = QStringLiteral("És vertical.");
    QString noLine = QStringLiteral("Encara no hi ha cap recta per escoltar.");
    QString noSound
        = QStringLiteral("No hi ha so en aquest ordinador. Només se sent la descripció.");
};
inline const Spoken said;

} // namespace texts
