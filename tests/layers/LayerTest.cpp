#include "support/TestKit.h"

// The floors of the program as layers.txt declares them, and the includes
// that run against them: a file that includes from a higher floor, a folder
// that no floor holds, a Qt module that a floor may not use.
namespace {

struct Floor
{
    QStringList folders;
    QStringList qtModules;   // empty: any module
};

class LayerPlan
{
public:
    explicit LayerPlan(const QString &text)
    {
        for (QString line : text.split('\n')) {
            line = line.section('#', 0, 0).simplified();
            if (line.isEmpty())
                continue;
            Floor floor;
            for (const QString &word : line.split(' ')) {
                if (word.startsWith(QLatin1String("Qt")))
                    floor.qtModules << word;
                else
                    floor.folders << word;
            }
            floors << floor;
        }
    }

    // The floor a path lies on (0 the top), by the longest folder that holds
    // it; -1 when none does.
    int floorOf(const QString &path) const
    {
        int found = -1, longest = -1;
        for (int i = 0; i < floors.size(); ++i)
            for (const QString &folder : floors[i].folders)
                if (path.startsWith(folder + '/') && folder.size() > longest) {
                    found = i;
                    longest = int(folder.size());
                }
        return found;
    }

    QString folderOf(const QString &path) const
    {
        const int floor = floorOf(path);
        QString best;
        for (const QString &folder : floors.value(floor).folders)
            if (path.startsWith(folder + '/') && folder.size() > best.size())
                best = folder;
        return best;
    }

    QList<Floor> floors;
};

// Which Qt module a header such as <QLabel> belongs to, from Qt's own headers.
QString qtModuleOf(const QString &header)
{
    static const QString root = QLibraryInfo::path(QLibraryInfo::HeadersPath);
    static QHash<QString, QString> known;
    if (!known.contains(header)) {
        QString module;
        for (const QString &dir : QDir(root).entryList({"Qt*"}, QDir::Dirs))
            if (QFileInfo::exists(root + '/' + dir + '/' + header)) {
                module = dir;
                break;
            }
        known.insert(header, module);
    }
    return known.value(header);
}

const QRegularExpression IncludeLine(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"),
                                     QRegularExpression::MultilineOption);

// What is wrong with one file's includes, one line each; empty when nothing.
QStringList layerViolations(const LayerPlan &plan, const QString &path, const QString &text)
{
    QStringList found;
    const int floor = plan.floorOf(path);
    if (floor < 0)
        return {path + QStringLiteral(": its folder is on no floor of layers.txt")};
    const QStringList allowedModules = plan.floors[floor].qtModules;
    auto matches = IncludeLine.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        const QString included = match.captured(2);
        if (match.captured(1) == QLatin1String("\"")) {
            if (!included.contains('/') || included.endsWith(QLatin1String(".moc")))
                continue;   // beside the file itself
            const int target = plan.floorOf(included);
            if (target < floor)
                found << QStringLiteral("%1 includes \"%2\" from %3, a floor above its own (%4)")
                             .arg(path, included, target < 0 ? QStringLiteral("no floor") : plan.folderOf(included),
                                  plan.folderOf(path));
            // Folders that share a floor stay strangers, so that the folders'
            // include graph can have no cycle.
            else if (target == floor && plan.folderOf(included) != plan.folderOf(path))
                found << QStringLiteral("%1 includes \"%2\" from %3, beside its own folder on one floor (%4)")
                             .arg(path, included, plan.folderOf(included), plan.folderOf(path));
        } else if (!allowedModules.isEmpty() && included.startsWith('Q')) {
            const QString module = qtModuleOf(included);
            if (!allowedModules.contains(module))
                found << QStringLiteral("%1 includes <%2> of %3, which %4 may not use")
                             .arg(path, included, module.isEmpty() ? QStringLiteral("no known module") : module,
                                  plan.folderOf(path));
        }
    }
    return found;
}

QString readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

}   // namespace

class LayerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        addColumns<QString, QString, int>("path", "text", "violations");

        addRow("own floor", "top/a.cpp", "#include \"top/b.h\"", 0);
        addRow("floor below", "top/a.cpp", "#include \"low/sub/c.h\"", 0);
        addRow("same floor, other folder", "low/a.cpp", "#include \"peer/c.h\"", 1);
        addRow("floor above", "low/sub/a.cpp", "#include \"top/b.h\"", 1);
        addRow("folder deeper than its floor", "low/sub/a.cpp", "#include \"low/x.h\"", 1);
        addRow("undeclared folder included", "top/a.cpp", "#include \"elsewhere/b.h\"", 1);
        addRow("file of no floor", "elsewhere/a.cpp", "", 1);
        addRow("core module where core only", "low/sub/a.cpp", "#include <QString>\n#include <vector>", 0);
        addRow("widget where core only", "low/sub/a.cpp", "#  include <QLabel>", 1);
        addRow("any module where none named", "top/a.cpp", "#include <QLabel>", 0);
        addRow("several at once", "low/sub/a.cpp", "#include \"top/b.h\"\n#include <QWidget>\n#include \"low/sub/d.h\"",
               2);
    }

    void rules()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(int, violations);
        const LayerPlan plan(QStringLiteral("# comment\ntop\nlow peer   # shared floor\nlow/sub QtCore\n"));
        const QStringList found = layerViolations(plan, path, text);
        QVERIFY2(found.size() == violations, qPrintable(found.join('\n')));
    }

    void sourceTree()
    {
        const QString root = QStringLiteral(LIFECYCLE_SOURCE_DIR);
        const QString planText = readWholeFile(root + QStringLiteral("/layers.txt"));
        QVERIFY2(!planText.isEmpty(), "layers.txt cannot be read");
        const LayerPlan plan(planText);

        QStringList found;
        int files = 0;
        for (const QString &top : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            // Tests and fuzz targets may reach any floor; build folders hold generated code.
            if (top.startsWith('.') || top == QLatin1String("tests") || top == QLatin1String("fuzz")
                || QFileInfo::exists(root + '/' + top + QStringLiteral("/CMakeCache.txt")))
                continue;
            QDirIterator it(root + '/' + top, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = QDir(root).relativeFilePath(it.next());
                found << layerViolations(plan, path, readWholeFile(root + '/' + path));
                ++files;
            }
        }
        QVERIFY2(files > 100, qPrintable(QStringLiteral("only %1 source files found under %2").arg(files).arg(root)));
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
};

QTEST_GUILESS_MAIN(LayerTest)
#include "LayerTest.moc"
