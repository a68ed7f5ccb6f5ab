#include "store/JetDialect.h"
#include <QTest>
class TstJet : public QObject { Q_OBJECT private slots: void t() { QVERIFY(horunea::jetLike("a%", "abc")); } };
QTEST_GUILESS_MAIN(TstJet)
#include "tst_jetdialect.moc"
