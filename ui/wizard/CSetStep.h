#pragma once

// The step-by-step segment page: one segment at a time, with the frame's
// Previous, Next and End buttons moving through the segments and the
// trajectory of the stored segments drawn beside the fields.

#include "wizard/CBasePage.h"

#include "ui_CSetStep.h"

#include <cstdint>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;

class CSetStep : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1001;

    explicit CSetStep(QWidget *parent = nullptr);

    void OnInitDialog() override;
    // Stores the fields as the segment numbered with the current section number.
    bool SavePage() override;

    // Called by the frame.
    void EnterPage();
    bool NextSegment();
    bool PreviousSegment();
    bool FinishSegments();

    int currentSection() const;
    int totalSection() const;

public slots:
    void OnDelete();
    void OnDisplay();

private slots:
    void OnSelchangeType(int index);

private:
    enum class Direction { Backwards, Forwards };
    struct NumberEdit
    {
        QLineEdit *edit;
        QLabel *label;
        bool allowNegative;
    };

    bool CheckSegmentInput();
    bool TransferFields();
    bool ValidateNumberField(const NumberEdit &field);
    bool LoadSegment(std::uint32_t n);
    void ClearSegmentFields();
    void StepSegmentNumber(Direction direction);
    bool CheckAddressCapacity(bool all); // true when the capacity is exceeded
    // Every stored arc where the action mode makes it begin; the first one
    // at fault is brought up with its message.
    bool CheckWholeOutline();
    void ShowTrajectory();
    void UpdatePreview();
    void WriteFields();
    void SetArcFieldsEnabled(bool enabled);
    void SetSections(int current, int total);

    Ui::CSetStep m_ui;

    std::uint32_t m_nMaxSpeed = 0;
    std::uint32_t m_nInitialSpeed = 0;
    std::uint32_t m_nAccDecTime = 0;
    std::int32_t m_nEndX = 0;
    std::int32_t m_nEndY = 0;
    std::int32_t m_nCentreX = 0;
    std::int32_t m_nCentreY = 0;

    // The outline as last passed to the display.
    std::int32_t m_nShowCount = 0;
    std::vector<std::int32_t> m_pCentreX, m_pCentreY, m_pBeginX, m_pBeginY, m_pEndY, m_pEndX,
        m_pType;
};
