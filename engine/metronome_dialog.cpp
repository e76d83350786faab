#include "engine/metronome_dialog.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/errors.h"
#include "core/mixer_config.h"
#include "document/mix_samples.h"
#include "platform/folders.h"

namespace {

struct SampleFile {
  const char* name;
  MetronomeClicks::Voice voice;
  const char* failure;
};

// In the order they are read.
constexpr SampleFile kSampleFiles[] = {
    {"metro.dat", MetronomeClicks::kStick, "Failed to load stick metronome."},
    {"bass.dat", MetronomeClicks::kBass, "Failed to load bass metronome."},
    {"snare.dat", MetronomeClicks::kSnare, "Failed to load snare metronome."},
    {"hihat.dat", MetronomeClicks::kHiHat, "Failed to load hi-hat metronome."},
};

// The first 8192 bytes of the file as a click; false when it is missing or shorter.
bool ReadClick(const std::string& path, MetronomeClicks::Click& click) {
  if (path.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  uint8_t bytes[MetronomeClicks::kClickBytes];
  const size_t count = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  if (count != sizeof bytes) return false;
  for (size_t i = 0; i < click.size(); ++i) click[i] = SampleAt(bytes, i);
  return true;
}

MetronomeClicks::Settings ClickSettings(const MetronomeSettings& settings) {
  return {settings.on != 0, settings.Tempo(), settings.measure, settings.accent != 0, settings.sound != 0};
}

}  // namespace

void CMetronomeDialog::LoadSamples(platform::Folders* folders) {
  m_missingReport.clear();
  for (const SampleFile& sample : kSampleFiles) {
    MetronomeClicks::Click click;
    if (ReadClick(folders ? folders->FindDataFile(sample.name) : std::string(), click)) {
      m_clicks.SetClick(sample.voice, click);
      continue;
    }
    m_clicks.SetClickMissing(sample.voice);
    m_missingReport += std::string(sample.failure) + " (" + sample.name + ")\n";
  }
  if (!m_missingReport.empty()) m_missingReport += "The metronome stays off.";
}

void CMetronomeDialog::ApplySettings() {
  m_settings = m_config.Metronome();
  m_clicks.Apply(ClickSettings(m_settings));
  if (m_settings.on && SamplesMissing()) {
    m_settings.on = 0;
    if (!m_missingReport.empty()) ReportError("CMetronomeDialog::LoadSamples", m_missingReport);
    m_missingReport.clear();
  }
}

void CMetronomeDialog::Accept(const MetronomeSettings& settings) {
  m_config.SetMetronome(settings);
  ApplySettings();
}

void CMetronomeDialog::Mix(int16_t* buffer, uint32_t position) {
  m_clicks.Mix(buffer, position, LevelGain(m_settings.level));
}

bool CMetronomeDialog::OnInitDialog() {
  auto check = [this](const char* id, bool checked) {
    if (platform::DialogControl* button = GetDlgItem(id)) button->SetChecked(checked);
  };
  check(m_settings.on ? IDC_METRO_ON : IDC_METRO_OFF, true);
  check(m_settings.measure == 1 ? IDC_METRO_FOUR : m_settings.measure == 2 ? IDC_METRO_THREE : IDC_METRO_NONE, true);
  check(m_settings.sound ? IDC_METRO_STICK : IDC_METRO_BEAT, true);
  check(IDC_METRO_ACCENT, m_settings.accent != 0);
  SetRange(IDC_METRO_BPM_SLIDER, kMinTempo, kMaxTempo);
  SetRange(IDC_METRO_LEVEL_SLIDER, 0, kMaxLevel);
  SetLevel(IDC_METRO_BPM_SLIDER, m_settings.tempo);
  // The level slider runs from silence at the left to the loudest at the right.
  SetLevel(IDC_METRO_LEVEL_SLIDER, kMaxLevel - m_settings.level);
  m_saved = m_settings;
  return true;
}

void CMetronomeDialog::ShowTempo(int tempo) {
  if (platform::DialogControl* field = GetDlgItem(IDC_METRO_BPM_VALUE)) field->SetText(std::to_string(tempo));
}

// The level in steps of about a decibel from unity: +10 at the right end, -50 at the left.
void CMetronomeDialog::ShowLevel(int sliderPosition) {
  if (platform::DialogControl* field = GetDlgItem(IDC_METRO_LEVEL_VALUE)) {
    field->SetText(std::to_string(sliderPosition - (kMaxLevel - 10)));
  }
}

bool CMetronomeDialog::SetLevel(const char* sliderId, int value) {
  platform::DialogControl* slider = GetDlgItem(sliderId);
  if (!slider) {
    ReportError("CMetronomeDialog::SetLevel", std::string("Got NULL for slider ") + sliderId);
    return false;
  }
  slider->SetPos(value);
  if (std::string(sliderId) == IDC_METRO_BPM_SLIDER) ShowTempo(value);
  if (std::string(sliderId) == IDC_METRO_LEVEL_SLIDER) ShowLevel(value);
  return true;
}

bool CMetronomeDialog::SetRange(const char* sliderId, int minimum, int maximum) {
  platform::DialogControl* slider = GetDlgItem(sliderId);
  if (!slider) {
    ReportError("CMetronomeDialog::SetRange", std::string("Got NULL for slider ") + sliderId);
    return false;
  }
  slider->SetRange(minimum, maximum);
  slider->SetPageSize(1);
  return true;
}

void CMetronomeDialog::OnHScroll(const std::string& id) {
  if (id != IDC_METRO_BPM_SLIDER && id != IDC_METRO_LEVEL_SLIDER) return;
  platform::DialogControl* slider = GetDlgItem(id);
  if (!slider) {
    ReportError("CMetronomeDialog::OnHScroll", "Got NULL for pSlider1 " + id);
    return;
  }
  const int position = slider->GetPos();
  // Both take effect in a running take at once.
  if (id == IDC_METRO_BPM_SLIDER) {
    m_settings.tempo = static_cast<int16_t>(position);
    m_clicks.SetTempo(static_cast<uint32_t>(position));
    ShowTempo(position);
  } else {
    m_settings.level = static_cast<uint8_t>(kMaxLevel - std::clamp(position, 0, kMaxLevel));
    ShowLevel(position);
  }
}

void CMetronomeDialog::OnOK() {
  // A missing control is reported and leaves the dialog open with nothing changed.
  const char* ids[] = {IDC_METRO_ON, IDC_METRO_FOUR, IDC_METRO_THREE, IDC_METRO_NONE, IDC_METRO_ACCENT, IDC_METRO_BEAT};
  platform::DialogControl* controls[std::size(ids)];
  for (size_t i = 0; i < std::size(ids); ++i) {
    controls[i] = GetDlgItem(ids[i]);
    if (!controls[i]) {
      ReportError("CMetronomeDialog::OnOK", std::string(ids[i]) + " pButton is Null.");
      return;
    }
  }
  auto [on, four, three, none, accent, beat] = controls;
  MetronomeSettings chosen = m_settings;
  chosen.on = on->IsChecked() ? 1 : 0;
  // With no measure checked the measure stays as it was.
  if (four->IsChecked()) chosen.measure = 1;
  if (three->IsChecked()) chosen.measure = 2;
  if (none->IsChecked()) chosen.measure = 0;
  chosen.accent = accent->IsChecked() ? 1 : 0;
  chosen.sound = beat->IsChecked() ? 0 : 1;
  Accept(chosen);
  EndDialog(platform::IDOK);
}

void CMetronomeDialog::OnCancel() {
  m_settings = m_saved;
  m_clicks.SetTempo(m_saved.Tempo());
  EndDialog(platform::IDCANCEL);
}
