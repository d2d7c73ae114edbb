// Start-up, settings store conventions, version text, help and About.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <clocale>

#include "GuiTestSupport.h"
#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/Pilvo3DApp.h"
#include "app/Pilvo3DView.h"
#include "app/SettingsStore.h"
#include "app/TreeCtrlRenderingObject.h"

namespace {

using guitest::MessageRecorder;

TEST(Application, VersionTextPadsMinorBuildAndRevision) {
  EXPECT_EQ(CPilvo3DApp::VersionText(1, 5, 7, 3), QStringLiteral("Version 1.05.0007.0003"));
  EXPECT_EQ(CPilvo3DApp::VersionText(0, 0, 0, 0), QStringLiteral("Version 0.00.0000.0000"));
  EXPECT_TRUE(CPilvo3DApp::VersionText().startsWith(QStringLiteral("Version ")));
}

// The whole program in one test fixture: frame, view, managers and plug-ins.
class ApplicationTest : public ::testing::Test {
protected:
  void Start(const QStringList& arguments) {
    app = std::make_unique<CPilvo3DApp>(QStringLiteral("Pilvo Nc Viewer"));
    ASSERT_TRUE(app->InitInstance(arguments));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->Frame()));
  }
  void TearDown() override { app.reset(); }

  CTreeCtrlRenderingObject* Tree() const { return app->Frame()->ObjectTree(); }

  MessageRecorder recorder;
  std::unique_ptr<CPilvo3DApp> app;
};

TEST_F(ApplicationTest, AFileOnTheCommandLineIsImportedOnceAfterTheFirstRepaint) {
  Start({QStringLiteral("viewer"), QStringLiteral(PILVO_SAMPLES_DIR "/ring.stl")});
  EXPECT_EQ(Tree()->topLevelItemCount(), 0) << "nothing is imported inside start-up";
  QTRY_COMPARE_WITH_TIMEOUT(Tree()->topLevelItemCount(), 1, 10000);
  QTest::qWait(200);
  EXPECT_EQ(Tree()->topLevelItemCount(), 1) << "imported once";
  EXPECT_EQ(Tree()->topLevelItem(0)->text(0), QStringLiteral("ring.stl"));
  EXPECT_TRUE(recorder.messages.isEmpty());
  // The import into the empty view fitted it around the ring (76 mm across).
  EXPECT_GT(app->View()->renderingRate, 1.0f);
}

TEST_F(ApplicationTest, StartingWithoutFilesImportsNothingAndHelpWithoutFileSaysSo) {
  Start({QStringLiteral("viewer")});
  QTest::qWait(200);
  EXPECT_EQ(Tree()->topLevelItemCount(), 0);
  app->OnHelp();
  EXPECT_EQ(recorder.messages, QStringList{QStringLiteral("ヘルプファイルが見つかりませんでした。")});
  EXPECT_EQ(app->Frame()->windowTitle(), QStringLiteral("Pilvo Nc Viewer"));
}

TEST_F(ApplicationTest, AboutBoxNamesProductAndVersion) {
  Start({QStringLiteral("viewer")});
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("Pilvo Nc Viewerのﾊﾞｰｼﾞｮﾝ情報"));
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("productName"))->text(), QStringLiteral("Pilvo Nc Viewer"));
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("versionText"))->text(), CPilvo3DApp::VersionText());
}

TEST_F(ApplicationTest, SettingsSurviveARestartAndIgnoreTheLocale) {
  QSettings& store = settingsstore::Store();
  store.clear();
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may not be installed; the QLocale default still is German

  Start({QStringLiteral("viewer")});
  app->View()->projectionGridSize = 0.25;
  app->View()->renderingRateMin = 0.5f;
  app->View()->trackingModeOfButton[0] = 2;
  app.reset();  // writes the settings
  EXPECT_EQ(store.value(QStringLiteral("Pilvo3DView/CalcProjectionTerritoryGridSize")).toString(),
            QStringLiteral("0.250000"));
  EXPECT_EQ(store.value(QStringLiteral("OpenGLTrackView/RenderingRate_min")).toString(), QStringLiteral("0.500000"));

  // Damaged values keep the constructor's defaults; known ones come back.
  store.setValue(QStringLiteral("Pilvo3DView/TrackingMode_MouseButton[1]"), 9);
  store.setValue(QStringLiteral("Pilvo3DView/SubAxisPos"), -1);
  store.setValue(QStringLiteral("Pilvo3DView/CalcProjectionTerritoryDivisionCount"), QStringLiteral("many"));
  store.setValue(QStringLiteral("OpenGLTrackView/RenderingRate_max"), QStringLiteral("1,5"));
  Start({QStringLiteral("viewer")});
  CPilvo3DView* view = app->View();
  EXPECT_EQ(view->projectionGridSize, 0.25);
  EXPECT_EQ(view->renderingRateMin, 0.5f);
  EXPECT_EQ(view->trackingModeOfButton[0], 2);
  EXPECT_EQ(view->trackingModeOfButton[1], 2) << "a tracking mode of 9 is ignored";
  EXPECT_EQ(view->subAxisPosition, 3);
  EXPECT_EQ(view->projectionDivisionCount, 1000);
  EXPECT_EQ(view->renderingRateMax, 10000000.0f);

  std::setlocale(LC_NUMERIC, previousNumeric.c_str());
  QLocale::setDefault(saved);
  app.reset();
  store.clear();
}

}  // namespace
