// The placement and the stored properties on Qt objects: a plain main window with a tree view,
// a find text and a checkable command stands in for the editor's window.

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "app/QtFormStorage.h"
#include "app/QtStoredProps.h"
#include "base/StrUtils.h"
#include "platform/TestFiles.h"
#include "settings/IniFile.h"
#include "settings/Placement.h"

namespace zel {

const char* const kSection = "Zel XML Editor Window";

// Restores in its first show event, as the editor's window does: visible, with a native window.
class TShowingWindow : public QMainWindow {
 public:
  std::function<void()> FirstShow;

 protected:
  void showEvent(QShowEvent* event) override {
    QMainWindow::showEvent(event);
    if (FirstShow) std::exchange(FirstShow, nullptr)();
  }
};

// The editor's window as far as its settings go: it restores them when first shown and saves
// them when closed.
class TTestWindow {
 public:
  explicit TTestWindow(const std::string& iniFile) {
    Window.setGeometry(191, 108, 396, 298);
    Tree = new QTreeView(&Window);
    Window.setCentralWidget(Tree);
    QFont font("Tahoma");
    font.setPointSize(8);
    Tree->setFont(font);
    UseDialog = new QAction("Use Dialog", &Window);
    UseDialog->setCheckable(true);
    Store = std::make_unique<TQtFormStorage>(
        Window, TStoredParts{Tree, [this] { return ToolTips; }, [this](bool on) { ToolTips = on; },
                             &Window, [this] { return FindText; },
                             [this](const QString& text) { FindText = text; }, UseDialog});
    Placement = &Store->PlacementWindow();
    Store->SetIniFileName(iniFile);
    Store->SetIniSection(kSection);
    Window.FirstShow = [this] { Store->RestoreSettings(); };
  }
  void Show() {
    Window.show();
    QCoreApplication::processEvents();
  }
  void Close() {
    Store->SaveSettings();
    Window.close();
  }

  TShowingWindow Window;
  QTreeView* Tree;
  QAction* UseDialog;
  QString FindText;
  bool ToolTips = false;
  std::unique_ptr<TQtFormStorage> Store;
  TQtPlacementWindow* Placement;
};

class QtSettingsTest : public QObject {
  Q_OBJECT

 private:
  test::TTempDir FDir;
  std::string FFile;

  QString Get(const std::string& key) {
    return QString::fromStdString(TIniFile(FFile).ReadString(kSection, key, "?"));
  }
  void Put(const std::string& key, const std::string& value) {
    TIniFile(FFile).WriteString(kSection, key, value);
  }
  // The normal bounds with the frame, as a Windows placement holds them.
  static QString NormPos(const QRect& frame) {
    return QString("%1,%2,%3,%4")
        .arg(frame.left())
        .arg(frame.top())
        .arg(frame.left() + frame.width())
        .arg(frame.top() + frame.height());
  }
  std::string ScreenKey(const char* key, const QWidget& w) {
    const QSize s = w.screen()->geometry().size();
    return key + Format("(%dx%d)", s.width(), s.height());
  }

 private slots:
  void init() {
    FFile = FDir.File("ZelApps.ini");
    std::remove(FFile.c_str());
  }

  // First start: the design bounds and font; the close writes them as a Windows window and
  // font would have them.
  void firstCloseWritesTheDesignValues() {
    TTestWindow w(FFile);
    w.Show();
    QCOMPARE(w.Window.geometry(), QRect(191, 108, 396, 298));
    const QRect frame = w.Window.frameGeometry();
    w.Close();
    QCOMPARE(Get("ShowCmd"), QString("1"));
    QCOMPARE(Get("PixelsPerInch"), QString::number(w.Placement->PixelsPerInch()));
    QCOMPARE(Get(ScreenKey("NormPos", w.Window)), NormPos(frame));
    QCOMPARE(Get("NormPos"), NormPos(frame));
    QCOMPARE(Get("TreeView1_FontCharset"), QString("1"));
    QCOMPARE(Get("TreeView1_FontColor"), QString("-16777208"));
    QCOMPARE(Get("TreeView1_FontHeight"), QString("-11"));  // 8 points at 96 per inch
    QCOMPARE(Get("TreeView1_FontName"), QString("Tahoma"));
    QCOMPARE(Get("TreeView1_FontPitch"), QString("fpDefault"));
    QCOMPARE(Get("TreeView1_FontSize"), QString("8"));
    QCOMPARE(Get("TreeView1_FontStyle"), QString("[]"));
    QCOMPARE(Get("TreeView1_ToolTips"), QString("False"));
    QCOMPARE(Get("FindDialog1_FindText"), QString(""));
    QCOMPARE(Get("EditUseDialog1_Checked"), QString("False"));
  }

  // Two runs over one settings file: what the user left comes back.
  void secondRunRestoresWhatTheFirstLeft() {
    {
      TTestWindow w(FFile);
      w.Show();
      w.Window.setGeometry(40, 50, 500, 420);
      QFont font("DejaVu Sans Mono");
      font.setPointSize(12);
      font.setBold(true);
      font.setItalic(true);
      font.setFixedPitch(true);
      w.Tree->setFont(font);
      QPalette palette = w.Tree->palette();
      palette.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
      w.Tree->setPalette(palette);
      w.ToolTips = true;
      w.FindText = "  <title>  ";
      w.UseDialog->setChecked(true);
      w.Close();
    }
    QCOMPARE(Get("TreeView1_FontStyle"), QString("[fsBold,fsItalic]"));
    QCOMPARE(Get("TreeView1_FontColor"), QString::number(0x563412));
    QCOMPARE(Get("TreeView1_FontPitch"), QString("fpFixed"));
    QCOMPARE(Get("TreeView1_FontHeight"), QString("-16"));
    TTestWindow w(FFile);
    w.Show();
    QCOMPARE(w.Window.geometry(), QRect(40, 50, 500, 420));
    QCOMPARE(w.Tree->font().family(), QString("DejaVu Sans Mono"));
    QCOMPARE(w.Tree->font().pointSize(), 12);
    QVERIFY(w.Tree->font().bold() && w.Tree->font().italic());
    QVERIFY(!w.Tree->font().underline() && !w.Tree->font().strikeOut());
    QVERIFY(w.Tree->font().fixedPitch());
    QCOMPARE(w.Tree->palette().color(QPalette::Text), QColor(0x12, 0x34, 0x56));
    QVERIFY(w.ToolTips);
    QCOMPARE(w.FindText, QString("<title>"));
    QVERIFY(w.UseDialog->isChecked());
  }

  void maximizedWindowKeepsItsNormalBounds() {
    QRect frame;
    {
      TTestWindow w(FFile);
      w.Show();
      w.Window.setGeometry(60, 70, 450, 350);
      QCoreApplication::processEvents();
      frame = w.Window.frameGeometry();
      w.Window.showMaximized();
      QCoreApplication::processEvents();
      w.Close();
    }
    QCOMPARE(Get("ShowCmd"), QString("3"));
    QCOMPARE(Get("NormPos"), NormPos(frame));
    // Restored before the window exists: its frame is not known yet.
    TTestWindow w(FFile);
    w.Window.FirstShow = nullptr;
    w.Store->RestoreSettings();
    w.Show();
    QVERIFY(w.Window.isMaximized());
    const TRect normal = w.Placement->GetPlacement().NormalPosition;
    QCOMPARE(QRect(normal.Left, normal.Top, normal.Right - normal.Left, normal.Bottom - normal.Top),
             frame);
    w.Store->SaveSettings();  // a window kept maximized must not grow by its frame
    QCOMPARE(Get("NormPos"), NormPos(frame));
    w.Window.showNormal();
    QTRY_COMPARE(w.Window.geometry(), QRect(60, 70, 450, 350));
  }

  void minimizedShowCommandMinimizesAfterTheShow() {
    Put("ShowCmd", "2");
    TTestWindow w(FFile);
    w.Window.show();
    QVERIFY(!w.Window.isMinimized());  // posted, not at once
    QTRY_VERIFY(w.Window.isMinimized());
    w.Close();
    QCOMPARE(Get("ShowCmd"), QString("2"));
  }

  // Minimized and maximized positions mean nothing to Qt: a file shared with another
  // installation keeps them.
  void minMaxPositionsAreWrittenBackAsRead() {
    Put("MinMaxPos", "-32000,-32000,-8,-8");
    Put("NormPos", "10,20,400,300");
    TTestWindow w(FFile);
    w.Show();
    w.Close();
    QCOMPARE(Get("MinMaxPos"), QString("-32000,-32000,-8,-8"));
    QCOMPARE(Get("NormPos"), QString("10,20,400,300"));
  }

  void damagedFontValues() {
    Put("TreeView1_FontSize", "abc");
    Put("TreeView1_FontStyle", "[fsBold,fsHeavy]");
    Put("TreeView1_FontPitch", "fpVariable");
    Put("TreeView1_FontColor", "-16777208");
    Put("TreeView1_ToolTips", "yes");
    Put("TreeView1_FontName", "");
    TTestWindow w(FFile);
    w.Show();
    // Size 0 is the default size, as a Windows font of height 0.
    QCOMPARE(w.Tree->font().pointSize(), QApplication::font(w.Tree).pointSize());
    QCOMPARE(w.Tree->font().family(), QString("Tahoma"));
    QVERIFY(w.Tree->font().bold() && !w.Tree->font().italic());
    QVERIFY(!w.ToolTips);
    QCOMPARE(w.Tree->palette().color(QPalette::Text),
             QApplication::palette(w.Tree).color(QPalette::Text));
    w.Close();
    QCOMPARE(Get("TreeView1_FontPitch"), QString("fpVariable"));
  }

  // The size decides when it follows the height; alone, the height gives the size.
  void heightThenSize() {
    Put("TreeView1_FontHeight", "-16");
    TTestWindow w(FFile);
    w.Show();
    QCOMPARE(w.Tree->font().pointSize(), 12);
    Put("TreeView1_FontSize", "10");
    w.Store->RestoreSettings();
    QCOMPARE(w.Tree->font().pointSize(), 10);
    Put("TreeView1_FontSize", "2000000000");
    w.Store->RestoreSettings();
    QCOMPARE(w.Tree->font().pointSize(), 1000);
  }

  // A component goes with its Qt object and its entry with it.
  void destroyedCommandIsDropped() {
    TTestWindow w(FFile);
    delete w.UseDialog;
    QCOMPARE(w.Store->StoredProps().size(), size_t{3});
    QVERIFY(w.Store->Components().FindComponent("EditUseDialog1") == nullptr);
    w.Show();
    w.Close();
    QCOMPARE(Get("EditUseDialog1_Checked"), QString("?"));
    QCOMPARE(Get("TreeView1_FontName"), QString("Tahoma"));
  }
};

}  // namespace zel

QTEST_MAIN(zel::QtSettingsTest)
#include "QtSettingsTest.moc"
