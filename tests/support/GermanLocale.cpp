#include <QtCore>

// Every test program runs under a German default locale (decimal comma), so
// that any number written or read through the user's locale shows up as a
// failure. Numbers on the wire, in files and on screen always use a full stop.
static void useGermanLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}
Q_COREAPP_STARTUP_FUNCTION(useGermanLocale)
