#include "document/export_dialogs.h"

#include <cstdlib>
#include <cstring>

#include "core/errors.h"

const std::array<const char*, 148> kMp3Genres = {"Blues",
                                                 "Classic Rock",
                                                 "Country",
                                                 "Dance",
                                                 "Disco",
                                                 "Funk",
                                                 "Grunge",
                                                 "Hip-Hop",
                                                 "Jazz",
                                                 "Metal",
                                                 "New Age",
                                                 "Oldies",
                                                 "Other",
                                                 "Pop",
                                                 "R&B",
                                                 "Rap",
                                                 "Reggae",
                                                 "Rock",
                                                 "Techno",
                                                 "Industrial",
                                                 "Alternative",
                                                 "Ska",
                                                 "Death Metal",
                                                 "Pranks",
                                                 "Soundtrack",
                                                 "Euro-Techno",
                                                 "Ambient",
                                                 "Trip-Hop",
                                                 "Vocal",
                                                 "Jazz+Funk",
                                                 "Fusion",
                                                 "Trance",
                                                 "Classical",
                                                 "Instrumental",
                                                 "Acid",
                                                 "House",
                                                 "Game",
                                                 "Sound Clip",
                                                 "Gospel",
                                                 "Noise",
                                                 "AlternRock",
                                                 "Bass",
                                                 "Soul",
                                                 "Punk",
                                                 "Space",
                                                 "Meditative",
                                                 "Instrumental Pop",
                                                 "Instrumental Rock",
                                                 "Ethnic",
                                                 "Gothic",
                                                 "Darkwave",
                                                 "Techno-Industrial",
                                                 "Electronic",
                                                 "Pop-Folk",
                                                 "Eurodance",
                                                 "Dream",
                                                 "Southern Rock",
                                                 "Comedy",
                                                 "Cult",
                                                 "Gangsta",
                                                 "Top 40",
                                                 "Christian Rap",
                                                 "Pop/Funk",
                                                 "Jungle",
                                                 "Native American",
                                                 "Cabaret",
                                                 "New Wave",
                                                 "Psychadelic",
                                                 "Rave",
                                                 "Showtunes",
                                                 "Trailer",
                                                 "Lo-Fi",
                                                 "Tribal",
                                                 "Acid Punk",
                                                 "Acid Jazz",
                                                 "Polka",
                                                 "Retro",
                                                 "Musical",
                                                 "Rock & Roll",
                                                 "Hard Rock",
                                                 "Folk",
                                                 "Folk-Rock",
                                                 "National Folk",
                                                 "Swing",
                                                 "Fast Fusion",
                                                 "Bebob",
                                                 "Latin",
                                                 "Revival",
                                                 "Celtic",
                                                 "Bluegrass",
                                                 "Avantgarde",
                                                 "Gothic Rock",
                                                 "Progressive Rock",
                                                 "Psychedelic Rock",
                                                 "Symphonic Rock",
                                                 "Slow Rock",
                                                 "Big Band",
                                                 "Chorus",
                                                 "Easy Listening",
                                                 "Acoustic",
                                                 "Humour",
                                                 "Speech",
                                                 "Chanson",
                                                 "Opera",
                                                 "Chamber Music",
                                                 "Sonata",
                                                 "Symphony",
                                                 "Booty Bass",
                                                 "Primus",
                                                 "Porn Groove",
                                                 "Satire",
                                                 "Slow Jam",
                                                 "Club",
                                                 "Tango",
                                                 "Samba",
                                                 "Folklore",
                                                 "Ballad",
                                                 "Power Ballad",
                                                 "Rhythmic Soul",
                                                 "Freestyle",
                                                 "Duet",
                                                 "Punk Rock",
                                                 "Drum Solo",
                                                 "A capella",
                                                 "Euro-House",
                                                 "Dance Hall",
                                                 "Goa",
                                                 "Drum & Bass",
                                                 "Club-House",
                                                 "Hardcore",
                                                 "Terror",
                                                 "Indie",
                                                 "BritPop",
                                                 "Negerpunk",
                                                 "Polsk Punk",
                                                 "Beat",
                                                 "Christian Gangsta Rap",
                                                 "Heavy Metal",
                                                 "Black Metal",
                                                 "Crossover",
                                                 "Contemporary Christian",
                                                 "Christian Rock",
                                                 "Merengue",
                                                 "Salsa",
                                                 "Thrash Metal",
                                                 "Anime",
                                                 "JPop",
                                                 "SynthPop"};

namespace {

void PutField(std::array<uint8_t, 128>& tag, size_t at, size_t size, const std::string& text) {
  std::memcpy(tag.data() + at, text.data(), std::min(size, text.size()));
}

}  // namespace

std::array<uint8_t, 128> Mp3Tag(const std::string& title, const std::string& artist, const std::string& album,
                                const std::string& year, const std::string& comment, int genre) {
  std::array<uint8_t, 128> tag{};
  PutField(tag, 0, 3, "TAG");
  PutField(tag, 3, 30, title);
  PutField(tag, 33, 30, artist);
  PutField(tag, 63, 30, album);
  PutField(tag, 93, 4, year);
  PutField(tag, 97, 30, comment);
  tag[127] = static_cast<uint8_t>(genre);
  return tag;
}

bool CWaveDialog::OnInitDialog() {
  struct Missing {
    const char* id;
    const char* message;
  };
  const Missing controls[] = {
      {IDC_PCM_16BIT, "The p16Bit is NULL."},        {IDC_PCM_8BIT, "The p8Bit is NULL."},
      {IDC_PCM_STEREO, "The pStereo is NULL."},      {IDC_PCM_MONO, "The pMono is NULL."},
      {IDC_PCM_44100, "The IDC_PCM_44100 is NULL."}, {IDC_PCM_22050, "The IDC_PCM_22050 is NULL."},
      {IDC_PCM_11025, "The IDC_PCM_11025 is NULL."}, {IDC_PCM_USER, "The IDC_PCM_USER is NULL."}};
  for (const Missing& control : controls) {
    if (!GetDlgItem(control.id)) {
      ReportError("CWaveDialog::OnInitDialog", control.message);
      return true;
    }
  }
  GetDlgItem(IDC_PCM_16BIT)->SetChecked(bitsPerSample == 16);
  GetDlgItem(IDC_PCM_8BIT)->SetChecked(bitsPerSample != 16);
  GetDlgItem(IDC_PCM_STEREO)->SetChecked(channels == 2);
  GetDlgItem(IDC_PCM_MONO)->SetChecked(channels != 2);
  const bool standard = sampleRate == 44100 || sampleRate == 22050 || sampleRate == 11025;
  GetDlgItem(IDC_PCM_44100)->SetChecked(sampleRate == 44100);
  GetDlgItem(IDC_PCM_22050)->SetChecked(sampleRate == 22050);
  GetDlgItem(IDC_PCM_11025)->SetChecked(sampleRate == 11025);
  GetDlgItem(IDC_PCM_USER)->SetChecked(!standard);
  if (platform::DialogControl* rate = GetDlgItem(IDC_PCM_USER_RATE)) {
    rate->SetText(standard ? std::string() : std::to_string(sampleRate));
  }
  return true;
}

void CWaveDialog::OnOK() {
  platform::DialogControl* sixteen = GetDlgItem(IDC_PCM_16BIT);
  platform::DialogControl* stereo = GetDlgItem(IDC_PCM_STEREO);
  if (!sixteen || !stereo) {
    ReportError("CWaveDialog::OnOK", !sixteen ? "The IDC_PCM_16BIT is NULL." : "The IDC_PCM_STEREO is NULL.");
    return;
  }
  bitsPerSample = sixteen->IsChecked() ? 16 : 8;
  channels = stereo->IsChecked() ? 2 : 1;
  auto checked = [this](const char* id) {
    platform::DialogControl* button = GetDlgItem(id);
    return button && button->IsChecked();
  };
  if (checked(IDC_PCM_44100)) {
    sampleRate = 44100;
  } else if (checked(IDC_PCM_22050)) {
    sampleRate = 22050;
  } else if (checked(IDC_PCM_11025)) {
    sampleRate = 11025;
  } else {
    platform::DialogControl* rate = GetDlgItem(IDC_PCM_USER_RATE);
    sampleRate = rate ? static_cast<int32_t>(std::strtol(rate->GetText().c_str(), nullptr, 10)) : 0;
  }
  if (sampleRate < 8000 || sampleRate > 44100) {
    ShowInformation("Sample rate must be between 8000 and 44100.");
    return;
  }
  EndDialog(platform::IDOK);
}

bool CMP3Dialog::OnInitDialog() {
  platform::DialogControl* rates = GetDlgItem(IDC_MP3_BIT_RATE);
  if (!rates) {
    ReportError("CMP3Dialog::OnInitDialog", "Combo box IDC_MP3_BIT_RATE is null");
    return true;
  }
  rates->ResetContent();
  int selected = 5;  // 128
  for (int i = 0; i < static_cast<int>(std::size(kMp3BitRates)); ++i) {
    rates->AddString(kMp3BitRates[i]);
    if (m_strBitRate == kMp3BitRates[i]) selected = i;
  }
  rates->SetCurSel(selected);
  platform::DialogControl* genres = GetDlgItem(IDC_MP3_GENRE);
  if (!genres) {
    ReportError("CMP3Dialog::OnInitDialog", "Combo box IDC_MP3_GENRE is null");
    return true;
  }
  genres->ResetContent();
  for (const char* genre : kMp3Genres) genres->AddString(genre);
  genres->SetCurSel(0);
  for (const char* id : {IDC_MP3_TITLE, IDC_MP3_ARTIST, IDC_MP3_ALBUM, IDC_MP3_YEAR, IDC_MP3_COMMENT}) {
    if (platform::DialogControl* field = GetDlgItem(id)) field->SetText("");
  }
  return true;
}

void CMP3Dialog::OnOK() {
  platform::DialogControl* genres = GetDlgItem(IDC_MP3_GENRE);
  if (!genres) {
    ReportError("CMP3Dialog::OnOK", "Combo box IDC_MP3_GENRE is null");
    return;
  }
  m_nGenre = std::max(genres->GetCurSel(), 0);
  platform::DialogControl* rates = GetDlgItem(IDC_MP3_BIT_RATE);
  int selection = rates ? rates->GetCurSel() : -1;
  m_nBitRate = (selection >= 0 && selection < static_cast<int>(std::size(kMp3BitRates)))
                   ? std::atoi(kMp3BitRates[selection])
                   : 128;
  m_strBitRate = std::to_string(m_nBitRate);
  auto text = [this](const char* id) {
    platform::DialogControl* field = GetDlgItem(id);
    return field ? field->GetText().substr(0, 126) : std::string();
  };
  m_strTitle = text(IDC_MP3_TITLE);
  m_strArtist = text(IDC_MP3_ARTIST);
  m_strAlbum = text(IDC_MP3_ALBUM);
  m_strYear = text(IDC_MP3_YEAR);
  m_strComment = text(IDC_MP3_COMMENT);
  EndDialog(platform::IDOK);
}

int CTrackMixdownDialog::GetCheck(const std::string& id) {
  platform::DialogControl* box = GetDlgItem(id);
  if (!box) {
    ReportError("CTrackMixdownDialog::GetCheck", "Button " + id + " is NULL.");
    return 0;
  }
  return box->IsChecked() ? 1 : 0;
}

void CTrackMixdownDialog::OnOK() {
  m_bSource.fill(false);
  m_nTargetTrack = kNoTarget;
  bool anySource = false;
  for (int track = 0; track < 8; ++track) {
    m_bSource[static_cast<size_t>(track)] = GetCheck(SourceId(track)) != 0;
    anySource = anySource || m_bSource[static_cast<size_t>(track)];
  }
  if (!anySource) {
    ShowInformation("Please select at least one source track.");
    return;
  }
  for (int track = 0; track < 8 && m_nTargetTrack == kNoTarget; ++track) {
    if (GetCheck(TargetId(track))) {
      m_nTargetTrack = track;
      m_bSource[static_cast<size_t>(track)] = true;
    }
  }
  if (m_nTargetTrack == kNoTarget) {
    ShowInformation("Please select a target track.");
    return;
  }
  EndDialog(platform::IDOK);
}
