#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/dialog_surface.h"

namespace platform {

// A control that only holds its state.
class MemoryControl : public DialogControl {
 public:
  explicit MemoryControl(std::function<void()> onChange) : m_onChange(std::move(onChange)) {}

  std::string GetText() const override { return m_text; }
  void SetText(const std::string& text) override { m_text = text, Changed(); }
  bool IsChecked() const override { return m_checked; }
  void SetChecked(bool checked) override { m_checked = checked, Changed(); }
  bool IsEnabled() const override { return m_enabled; }
  void SetEnabled(bool enabled) override { m_enabled = enabled, Changed(); }
  void SetVisible(bool visible) override { m_visible = visible, Changed(); }
  bool IsVisible() const { return m_visible; }

  void SetRange(int minimum, int maximum) override { m_min = minimum, m_max = maximum, Changed(); }
  void SetPos(int position) override { m_pos = position, Changed(); }
  int GetPos() const override { return m_pos; }
  void SetPageSize(int page) override { m_page = page; }
  int Minimum() const { return m_min; }
  int Maximum() const { return m_max; }
  int PageSize() const { return m_page; }

  void ResetContent() override { m_items.clear(), m_sel = -1, Changed(); }
  int AddString(const std::string& item) override;
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  int GetCurSel() const override { return m_sel; }
  void SetCurSel(int index) override;
  std::string GetItemText(int index) const override;

 private:
  void Changed() {
    if (m_onChange) m_onChange();
  }
  std::function<void()> m_onChange;
  std::string m_text;
  bool m_checked = false, m_enabled = true, m_visible = true;
  int m_min = 0, m_max = 100, m_pos = 0, m_page = 0;
  std::vector<std::string> m_items;
  int m_sel = -1;
};

// The controls of a dialog kept in memory. Without a declared control list every id
// asked for exists; with one, only the declared ids do, as in a real layout.
class MemoryDialogSurface : public DialogSurface {
 public:
  MemoryDialogSurface() = default;
  explicit MemoryDialogSurface(const std::vector<std::string>& controls);

  DialogControl* GetDlgItem(const std::string& id) override;
  void SetWindowText(const std::string& caption) override { m_caption = caption; }
  void CenterWindow() override { m_centred = true; }

  MemoryControl* Control(const std::string& id) { return static_cast<MemoryControl*>(GetDlgItem(id)); }
  // Takes a control out of the layout, as if the layout lacked it.
  void Remove(const std::string& id);
  const std::string& Caption() const { return m_caption; }
  bool Centred() const { return m_centred; }
  // Every id the dialog's logic asked for, present or not.
  const std::set<std::string>& RequestedIds() const { return m_requested; }
  // Called after any control changed.
  void OnChange(std::function<void()> observer) { m_observer = std::move(observer); }

 private:
  MemoryControl* Make(const std::string& id);
  bool m_fixed = false;
  std::map<std::string, std::unique_ptr<MemoryControl>> m_controls;
  std::set<std::string> m_removed;
  std::set<std::string> m_requested;
  std::string m_caption;
  bool m_centred = false;
  std::function<void()> m_observer;
};

}  // namespace platform
