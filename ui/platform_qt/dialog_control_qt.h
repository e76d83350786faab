#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialog_surface.h"

namespace ui {

// A DialogControl over one widget of a loaded layout: line edits, labels, buttons,
// check boxes and radio buttons, combo boxes, list widgets, sliders, scroll bars,
// progress bars, text edits, group boxes and tab widgets (their tabs are the items). A property the widget lacks reads as
// empty, zero or -1 and is ignored when set. Changes made through the control do not
// reach the dialog's handlers, as only the user's actions do; while one is under way
// the counter changing (shared by the controls of one dialog) is above zero.
class QtDialogControl : public platform::DialogControl {
 public:
  QtDialogControl(QWidget* widget, int& changing) : m_widget(widget), m_changing(changing) {}

  std::string GetText() const override;
  void SetText(const std::string& text) override;

  bool IsChecked() const override;
  void SetChecked(bool checked) override;

  bool IsEnabled() const override;
  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;

  void SetRange(int minimum, int maximum) override;
  void SetPos(int position) override;
  int GetPos() const override;
  void SetPageSize(int page) override;

  void ResetContent() override;
  int AddString(const std::string& item) override;
  int GetCount() const override;
  int GetCurSel() const override;
  void SetCurSel(int index) override;
  std::string GetItemText(int index) const override;

  QWidget* Widget() const { return m_widget; }

 private:
  // Marks a change made by the program for the length of a scope.
  class Changing {
   public:
    explicit Changing(int& counter) : m_counter(counter) { ++m_counter; }
    ~Changing() { --m_counter; }
    Changing(const Changing&) = delete;
    Changing& operator=(const Changing&) = delete;

   private:
    int& m_counter;
  };

  QPointer<QWidget> m_widget;
  int& m_changing;
};

}  // namespace ui
