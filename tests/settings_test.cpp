// The settings catalogue: its values at construction, the group table, and
// the flag that every opening of the store reads.
#include <cstring>
#include <new>

#include "StoreFixture.h"
#include "settings/ConfigManager.h"

namespace {

using namespace quillbray;
using namespace qbtest;

// A catalogue built over bytes of 0xA5, so that a field the constructor
// leaves unset shows up instead of happening to read 0.
class DirtyCatalogue {
 public:
  DirtyCatalogue() {
    std::memset(raw_, 0xA5, sizeof raw_);
    catalogue_ = new (raw_) TConfigManager;
  }
  ~DirtyCatalogue() { catalogue_->~TConfigManager(); }
  DirtyCatalogue(const DirtyCatalogue&) = delete;
  DirtyCatalogue& operator=(const DirtyCatalogue&) = delete;
  const TConfigManager& operator*() const { return *catalogue_; }

 private:
  alignas(TConfigManager) unsigned char raw_[sizeof(TConfigManager)];
  TConfigManager* catalogue_;
};

struct Scalar {
  const char* name;
  long long value;
};
struct Text {
  const char* name;
  const std::string& value;
};

#define QB_FIELD(f) {#f, static_cast<long long>(c.f)}
#define QB_TEXT(f) {#f, c.f}

TEST(ConfigManagerTest, FreshCatalogueIsZeroFalseAndEmptyButForItsFonts) {
  DirtyCatalogue dirty;
  const TConfigManager& c = *dirty;

  const Scalar scalars[] = {
      QB_FIELD(Uses), QB_FIELD(FirstTime), QB_FIELD(MachineWidePrefs),
      QB_FIELD(UseNotificationArea), QB_FIELD(CloseHides), QB_FIELD(AutoMinimize), QB_FIELD(ProgHotKey),
      QB_FIELD(UseJSuffix), QB_FIELD(ObscureLC), QB_FIELD(DeadKeyPatch1), QB_FIELD(StickyShowHide),
      QB_FIELD(AdvancedMiscKeys), QB_FIELD(ShowAdvancedSettings), QB_FIELD(EndPlaybackCode1),
      QB_FIELD(EndPlaybackCode2), QB_FIELD(EndPlaybackCode3), QB_FIELD(InUseTimeout), QB_FIELD(MinInUseTimeout),
      QB_FIELD(EReplTextAlg), QB_FIELD(DbgHookDisableKeyHook), QB_FIELD(DbgHookDisableMsgHook),
      QB_FIELD(DbgHookDisableDeadKey), QB_FIELD(DbgHookDisableMaskX86Exceptions),
      QB_FIELD(DbgHookDisableSetLowLTFMap),
      QB_FIELD(VisualTheme), QB_FIELD(FilepathStatusBarNormalColor), QB_FIELD(FilepathStatusBarBrowseModeColor),
      QB_FIELD(FilepathStatusBarReadOnlyColor), QB_FIELD(QuilletBackgroundNormalColor),
      QB_FIELD(QuilletBackgroundBrowseModeColor), QB_FIELD(QuilletBackgroundReadOnlyColor),
      QB_FIELD(QuilletEnabledNormalColor), QB_FIELD(QuilletEnabledBrowseModeColor),
      QB_FIELD(QuilletEnabledReadOnlyColor), QB_FIELD(QuilletDisabledNormalColor),
      QB_FIELD(QuilletDisabledBrowseModeColor), QB_FIELD(QuilletDisabledReadOnlyColor),
      QB_FIELD(ShowLargeCategoryIcons), QB_FIELD(ShowIndexColumn), QB_FIELD(ShowQuilletColumn),
      QB_FIELD(ShowReplacementKeysColumn), QB_FIELD(ShowSuffixesColumn), QB_FIELD(ShowScopeColumn),
      QB_FIELD(ShowModifiedColumn), QB_FIELD(ShowNotesColumn),
      QB_FIELD(BackupOnStart), QB_FIELD(BackupOnEditorOpen), QB_FIELD(BackupOnEditorClose), QB_FIELD(BackupMessage),
      QB_FIELD(OnlyBackupLocalFiles), QB_FIELD(BackupCount), QB_FIELD(BackupLocation), QB_FIELD(BackupMessageColor),
      QB_FIELD(BackupWaitFileTime), QB_FIELD(BackupDialogDoneTime), QB_FIELD(BackupDialogFadeIncrement),
      QB_FIELD(UseAdvancedFileDialog), QB_FIELD(LeaveFilesOpen),
      QB_FIELD(UseSuffix), QB_FIELD(Punctuation), QB_FIELD(Retype), QB_FIELD(SolitaryUsage), QB_FIELD(CaseSensitive),
      QB_FIELD(NoRemove), QB_FIELD(NoLowercase), QB_FIELD(CAPSOff), QB_FIELD(PlaybackUsingClipboard),
      QB_FIELD(TextDelay), QB_FIELD(HighSpeedTimer), QB_FIELD(BeforeBackspaceDelay), QB_FIELD(BetweenBackspaceDelay),
      QB_FIELD(AfterBackspaceDelay), QB_FIELD(ClipboardDelay), QB_FIELD(DelayAfterKeyUp),
      QB_FIELD(DelayAfterModifierKeys), QB_FIELD(ModifierKeysDelayTime), QB_FIELD(InsertCommandDelay),
      QB_FIELD(IncomingKeyPressDelayTime), QB_FIELD(WaitForKeyPressInitialDelayTime),
      QB_FIELD(WaitForKeyPressLoopDelayTime),
      QB_FIELD(MacroLogWarningSize), QB_FIELD(CheckSizeOfMacroLogs), QB_FIELD(LogUnusualEvents),
      QB_FIELD(LogDebugEvents), QB_FIELD(DisplayEventNotifications), QB_FIELD(EventNotificationColor),
      QB_FIELD(QbrLiteNotificationColor), QB_FIELD(QbrLiteNotificationBackgroundColor),
      QB_FIELD(DebugEventNotifications),
      QB_FIELD(Col1), QB_FIELD(Col2), QB_FIELD(Col3), QB_FIELD(Col4), QB_FIELD(Col5), QB_FIELD(Col6), QB_FIELD(Col7),
      QB_FIELD(CategoriesWidth),
      QB_FIELD(CurrentCategory), QB_FIELD(SortMethod), QB_FIELD(SortAscend), QB_FIELD(UseHint),
      QB_FIELD(HintPosition), QB_FIELD(ThkYouMsg1Displayed), QB_FIELD(ThkYouMsg2Displayed),
      QB_FIELD(ThkYouMsg3Displayed), QB_FIELD(ThkYouMsg4Displayed), QB_FIELD(ThkYouMsg5Displayed),
      QB_FIELD(SuspendedNotificationBackgroundColor),
      QB_FIELD(NetworkMode), QB_FIELD(AutoSync), QB_FIELD(Minutes),
      QB_FIELD(PrinterFontSize), QB_FIELD(PrinterFontColor), QB_FIELD(PrinterFontBold),
      QB_FIELD(PrinterFontStrikeout), QB_FIELD(PrinterFontItalics), QB_FIELD(PrinterFontUnderline),
      QB_FIELD(UseStartDelay), QB_FIELD(StartupDelay), QB_FIELD(ShowEditor), QB_FIELD(QuickStartGuide),
      QB_FIELD(CheckForUpdatesMethod), QB_FIELD(LogUpdateProgress),
      QB_FIELD(UpdateAvailableNotificationBackgroundColor), QB_FIELD(DisplayUpdateProgress),
      QB_FIELD(SaveTemporaryCheckForUpdatesFiles), QB_FIELD(InternalUpgradeTrack), QB_FIELD(InsiderUpgradeTrack),
  };
  for (const Scalar& s : scalars) EXPECT_EQ(s.value, 0) << s.name;

  const Text texts[] = {
      QB_TEXT(HotKey), QB_TEXT(BackupFolder), QB_TEXT(BackupFilePattern), QB_TEXT(ImagesPath), QB_TEXT(LogsPath),
      QB_TEXT(ErrorPath), QB_TEXT(EventsFile), QB_TEXT(UpdateLogFile), QB_TEXT(Prefix), QB_TEXT(InvalidChars),
      QB_TEXT(PunctuationChars), QB_TEXT(LogFormat), QB_TEXT(CurrentFile), QB_TEXT(SymbolsLastFont),
      QB_TEXT(PrinterFontName), QB_TEXT(StartupCommandLineParameters), QB_TEXT(UpdateInstallerPath),
      QB_TEXT(EditorSearchText), QB_TEXT(EditorSearchHistory), QB_TEXT(EditorReplaceText),
      QB_TEXT(EditorReplaceHistory),
  };
  for (const Text& t : texts) EXPECT_EQ(t.value, "") << t.name;

  for (std::size_t theme = 0; theme < kThemeCount; ++theme) {
    SCOPED_TRACE(ThemeNames[theme]);
    EXPECT_EQ(c.ThemeMenusAndToolbarsStyle[theme], 0);
    EXPECT_EQ(c.ThemeDialogButtonAlignment[theme], 0);
    EXPECT_EQ(c.ThemeDialogButtonEdgeSpace[theme], 0);
    EXPECT_EQ(c.ThemeDialogButtonSpace[theme], 0);
    EXPECT_EQ(c.ThemeDialogButtonBottomSpace[theme], 0);
    EXPECT_EQ(c.ThemeDialogHeaderBackgroundColor[theme], 0);
    EXPECT_EQ(c.ThemeDialogBackgroundColor[theme], 0);
    EXPECT_EQ(c.ThemeDialogButtonsBackgroundColor[theme], 0);
    EXPECT_EQ(c.ThemeQBPlaybackBarColor[theme], 0);
  }
  for (const auto& s : c.InsertImageCommand) EXPECT_EQ(s, "");
  for (const auto& s : c.InsertImageScript) EXPECT_EQ(s, "");
  for (const auto& s : c.MRUFiles) EXPECT_EQ(s, "");
  EXPECT_TRUE(c.Files.empty());
  EXPECT_TRUE(c.FileNames.empty());

  // Three fonts of their own, each with the toolkit's default attributes.
  const TFont* fonts[] = {c.ScriptFont.get(), c.GridFont.get(), c.CategoryFont.get()};
  EXPECT_TRUE(fonts[0] != fonts[1] && fonts[1] != fonts[2] && fonts[0] != fonts[2]);
  for (const TFont* font : fonts) {
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Name, "Sans");
    EXPECT_EQ(font->Size, 10);
    EXPECT_EQ(static_cast<std::uint32_t>(font->Color), 0xFF000008u);  // system colour 8, window text
    EXPECT_TRUE(font->Style.empty());
  }
}

#undef QB_FIELD
#undef QB_TEXT

TEST(ConfigManagerTest, GroupTableAndValueNames) {
  static_assert(ConfigGroupNames.size() == 28 && ConfigValueNames.size() == 7);
  const struct {
    TConfigGroup group;
    int index;
    const char* name;
  } rows[] = {
      {cgAll, 0, ""},          {cgAdvOptions, 1, "AdvOptions"}, {cgAppearance, 3, "Appearance"},
      {cgLogs, 14, "Logs"},    {cgWindows, 15, "Windows"},      {cgTemp, 23, "$Temp"},
      {cgUnknown, 24, "$Unknown"}, {cgMainWindow, 26, "Main Window"}, {cgProductKey, 27, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(row.group, row.index);
    EXPECT_STREQ(ConfigGroupNames[row.group], row.name);
  }
  EXPECT_STREQ(ConfigValueNames[0], "Show Thank You Reminders");
  EXPECT_STREQ(ConfigValueNames[6], "Dont Show Command will not Work Warning");
}

// The store asks the program's single catalogue, not the object that opens.
class MachineWidePrefsTest : public StoreTest {
 protected:
  void TearDown() override {
    ConfigManager = nullptr;
    StoreTest::TearDown();
  }
};

TEST_F(MachineWidePrefsTest, OpeningsFollowTheProcessWideCatalogue) {
  const struct {
    const char* name;
    bool processWide;        // ConfigManager points at the catalogue
    bool flag;               // the catalogue's MachineWidePrefs
    bool expectMachineWide;  // the opening goes to the machine hive alone
  } cases[] = {
      {"process-wide catalogue, flag set", true, true, true},
      {"process-wide catalogue, flag clear", true, false, false},
      {"catalogue with the flag, but not the process-wide one", false, true, false},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    TConfigManager catalogue;
    catalogue.MachineWidePrefs = tc.flag;
    ConfigManager = tc.processWide ? &catalogue : nullptr;
    ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
    EXPECT_EQ(store.MachineWide, tc.expectMachineWide);
    EXPECT_EQ(store.UserRegistry == nullptr, tc.expectMachineWide);
    store.ClosePref();
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MachineWidePrefsTest, TheCatalogueItselfReadsTheProcessWideFlag) {
  TConfigManager processWide;
  TConfigManager other;
  other.MachineWidePrefs = true;
  ConfigManager = &processWide;
  ASSERT_TRUE(other.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_FALSE(other.MachineWide);
  EXPECT_TRUE(other.UserRegistry);
  other.ClosePref();
}

TEST_F(MachineWidePrefsTest, DestroyingTheProcessWideCatalogueClearsTheReference) {
  auto catalogue = std::make_unique<TConfigManager>();
  catalogue->MachineWidePrefs = true;
  ConfigManager = catalogue.get();
  catalogue.reset();
  EXPECT_EQ(ConfigManager, nullptr);
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_FALSE(store.MachineWide);
  store.ClosePref();
}

}  // namespace
