#pragma once

#include "effects/over_tools_dialog.h"
#include "effects/repeat_effects.h"

// The nine tools. Each sets which shared controls it shows, their ranges and defaults,
// its built-in presets, and the effect it runs.
namespace effects {

class CVolumeDialog : public COverToolsDialog {
 public:
  explicit CVolumeDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

class CFadeDialog : public COverToolsDialog {
 public:
  explicit CFadeDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

class CMuteDialog : public COverToolsDialog {
 public:
  explicit CMuteDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

class CReverseDialog : public COverToolsDialog {
 public:
  explicit CReverseDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

class CSwapDialog : public COverToolsDialog {
 public:
  explicit CSwapDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

class CCopyChannelDialog : public COverToolsDialog {
 public:
  explicit CCopyChannelDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override { return end - start; }
};

// Echo, Reverb and Multi Voice: the level pairs are the initial and the wet ratio, the
// delay pair the time between repeats.
class CRepeatToolDialog : public COverToolsDialog {
 public:
  using COverToolsDialog::COverToolsDialog;
  RepeatSettings Settings() const;
};

class CEchoDialog : public CRepeatToolDialog {
 public:
  explicit CEchoDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override;

 protected:
  void FillBuiltInPresets() override;
};

class CReverbDialog : public CRepeatToolDialog {
 public:
  explicit CReverbDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override;

 protected:
  void FillBuiltInPresets() override;
};

class CMultiVoiceDialog : public CRepeatToolDialog {
 public:
  explicit CMultiVoiceDialog(ToolHost& host);
  EffectResult PerformOperation(std::FILE* file, std::FILE* original, uint32_t start, uint32_t end,
                                EffectProgress& progress) override;
  uint32_t PerformOperation_ByteCount(uint32_t start, uint32_t end) const override;

 protected:
  void FillBuiltInPresets() override;
};

}  // namespace effects
