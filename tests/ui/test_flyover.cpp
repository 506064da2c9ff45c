// SPDX-License-Identifier: GPL-2.0-or-later
// The flyover's watch over a tree and a text box in a window of their own: movements over either
// arrive in the window's coordinates, a vertical scroll of the tree counts as a movement inside
// it, and a vertical scroll of the text box repaints all of it.

#include "FlyoverWatch.h"
#include "UiSupport.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTreeView>

#include <memory>

// The areas the viewport asked to have painted, in order.
class CPaintLog : public QObject {
public:
    QList<QRect> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted << static_cast<QPaintEvent*>(event)->region().boundingRect();
        return QObject::eventFilter(watched, event);
    }
};

class FlyoverTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        client_ = std::make_unique<QWidget>();
        client_->resize(400, 300);
        text_ = new QTextEdit(client_.get());
        text_->setGeometry(0, 60, 300, 150);
        QStringList lines;
        for (int line = 1; line <= 100; ++line)
            lines << QStringLiteral("Line %1").arg(line);
        text_->setPlainText(lines.join(QLatin1Char('\n')));
        auto* model = new QStandardItemModel(client_.get());
        for (int row = 1; row <= 100; ++row)
            model->appendRow(new QStandardItem(QStringLiteral("Passage %1 of the tree").arg(row)));
        tree_ = new QTreeView(client_.get());
        tree_->setGeometry(250, 0, 120, 200);
        tree_->setModel(model);
        tree_->header()->setStretchLastSection(false);
        tree_->header()->resizeSection(0, 600); // wider than the tree: it scrolls sideways too

        watch_ = new CFlyoverWatch(client_.get(), client_.get());
        watch_->Watch(text_, CFlyoverWatch::OnScroll::kRepaint);
        watch_->Watch(tree_, CFlyoverWatch::OnScroll::kReportMove);
        client_->show();
        QVERIFY(QTest::qWaitForWindowExposed(client_.get()));
    }

    void cleanup() { client_.reset(); }

    // Without a button held too: the watch turns on the tracking that such movements need.
    void movementsArriveInTheWindowsCoordinates() {
        QSignalSpy moved(watch_, &CFlyoverWatch::mouseMoved);
        QTest::mouseMove(tree_->viewport(), QPoint(5, 7));
        QTRY_VERIFY(!moved.isEmpty());
        QCOMPARE(moved.last().at(0).toPoint(),
                 tree_->viewport()->mapTo(client_.get(), QPoint(5, 7)));
        moved.clear();
        QTest::mouseMove(text_->viewport(), QPoint(20, 30));
        QTRY_VERIFY(!moved.isEmpty());
        QCOMPARE(moved.last().at(0).toPoint(),
                 text_->viewport()->mapTo(client_.get(), QPoint(20, 30)));
    }

    void aVerticalScrollOfTheTreeIsAMovementInsideIt() {
        QSignalSpy moved(watch_, &CFlyoverWatch::mouseMoved);
        tree_->horizontalScrollBar()->setValue(tree_->horizontalScrollBar()->maximum());
        QVERIFY(tree_->horizontalScrollBar()->value() > 0);
        QCOMPARE(moved.count(), 0);
        tree_->scrollTo(tree_->model()->index(60, 0));
        QVERIFY(tree_->verticalScrollBar()->value() > 0);
        QCOMPARE(moved.count(), 1);
        const QPoint inside = moved.last().at(0).toPoint();
        QCOMPARE(inside, tree_->viewport()->mapTo(client_.get(), QPoint(10, 10)));
        QVERIFY(tree_->geometry().contains(inside));
    }

    void aVerticalScrollOfTheTextRepaintsItWhole() {
        text_->raise(); // nothing lies over it, so that the scroll moves its pixels
        CPaintLog log;
        text_->viewport()->installEventFilter(&log);
        QSignalSpy moved(watch_, &CFlyoverWatch::mouseMoved);
        QCoreApplication::processEvents();
        log.painted.clear();
        text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->singleStep());
        QTRY_VERIFY(!log.painted.isEmpty());
        QCOMPARE(log.painted.last(), text_->viewport()->rect());
        QCOMPARE(moved.count(), 0);
    }

private:
    std::unique_ptr<QWidget> client_;
    QTextEdit* text_ = nullptr;
    QTreeView* tree_ = nullptr;
    CFlyoverWatch* watch_ = nullptr;
};

RECITOR_UI_TEST_MAIN(FlyoverTest)
#include "test_flyover.moc"
