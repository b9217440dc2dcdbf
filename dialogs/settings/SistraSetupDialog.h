// The document's analysis settings in one dialog: the pressure and volume channels, the analysed
// region, the Tau model, how end-diastole is found (QRS events of an ECG source, or pressure peaks of a
// least height and period), the stroke-volume mode and the end-systole detection, with a live preview
// of the loops the detectors find. The dialog writes every change into the two copies it was given at
// once; the document adopts them only when the dialog ends with OK.
#pragma once

#include "controls/dialogs/DialogBase.h"
#include "dialogs/settings/DataPreview.h"
#include "dialogs/settings/EcgSources.h"
#include "document/models/Model.h"
#include "foundation/numbers/Units.h"

#include <memory>

namespace OWL
{
class TComboBox;
class TEdit;
class TRadioButton;
class TStatic;
} // namespace OWL
namespace OrvControls
{
class ErrorProvider;
class StaticTextErrorProvider;
class TBmpTxtButton;
} // namespace OrvControls

namespace Sistra
{

class SistraDocument;

// What a typed number is: valid, no number at all, or a number outside its range.
enum class FieldCheck
{
    Valid = 0,
    NotANumber = 1,
    OutOfRange = 2,
};

// The minimum peak height typed in the pressure channel's unit, in the unit the setup keeps it in
// (keptPerShown: what one typed unit is there), and whether it lies within 1e-9 to 1000 of the kept unit.
FieldCheck CheckMinPeakHeight(const Orv::String& text, double keptPerShown, double& value);
// The minimum period typed in milliseconds (unit code 7) or seconds, in seconds, and whether it lies
// within 0 to 10000 s.
FieldCheck CheckMinPeriod(const Orv::String& text, int32_t periodUnit, double& value);

class SistraSetupDialog : public Orv::DialogBase
{
public:
    static constexpr int32_t PeriodInMilliseconds = 7;
    static constexpr int32_t PeriodInSeconds = 8;

    // setup and tau: the copies of the document's setup and Tau models the dialog edits.
    SistraSetupDialog(OWL::TWindow* parent, SistraDocument& document, ModelPtr setup, ModelPtr tau);
    ~SistraSetupDialog() override;

    // OK: refused while a number is invalid, the two channels are one, or a channel depends on the
    // analysis; otherwise every control is written into the copies.
    bool CanClose() override;

    // The QRS event sources the dialog lists.
    const EcgSourceMap& EcgSources() const { return ecgSources_; }
    IDataPreview* Preview() const { return preview_.get(); }

    DECLARE_RESPONSE_TABLE(SistraSetupDialog);

protected:
    void SetupWindow() override;

private:
    void LoadControls();
    void ApplyControls();
    void RefreshPreview();

    void OnPressureChannelChanged();
    void OnVolumeChannelChanged();
    void OnPeriodUnitChanged();
    void OnOptionChanged() { ApplyControls(); }
    void OnHelp();
    void OnFromPressure();
    void OnFromEcg();
    void EnableDetectionControls(bool fromEcg);
    void OnMinPeakHeightChanged();
    void OnMinPeriodChanged();
    void OnMinPeakHeightKillFocus();
    void OnMinPeriodKillFocus();

    FieldCheck ParseMinPeakHeight(double& value) const;
    FieldCheck ParseMinPeriod(double& value) const;
    void ShowMinPeakHeight(double value);
    void ShowMinPeriod(double value);
    Orv::PrefixedUnit PressureUnit() const;
    // What one unit of the pressure channel's shown unit is in the unit the setup keeps the height in.
    double HeightKeptPerShown() const;
    bool IsChecked(const OWL::TRadioButton* button) const;
    void StoreInt(const ModelPtr& model, int id, int32_t value);

    SistraDocument& document_;
    OWL::TComboBox* pressure_;
    OWL::TComboBox* volume_;
    OWL::TRadioButton* wholeChannel_;
    OWL::TRadioButton* selection_;
    OWL::TComboBox* tauModel_;
    OWL::TRadioButton* fromEcg_;
    OWL::TStatic* ecgLabel_;
    OWL::TComboBox* ecgSource_;
    OWL::TRadioButton* fromPressure_;
    OWL::TStatic* peakHeightLabel_;
    OWL::TEdit* peakHeight_;
    OrvControls::StaticTextErrorProvider* pressureUnit_;
    OWL::TStatic* periodLabel_;
    OWL::TEdit* period_;
    OWL::TComboBox* periodUnit_;
    OrvControls::ErrorProvider* periodError_;
    OWL::TRadioButton* stableStrokeVolume_;
    OWL::TRadioButton* rangeStrokeVolume_;
    OWL::TRadioButton* maxPvEndSystole_;
    OWL::TRadioButton* sineFitEndSystole_;
    OrvControls::TBmpTxtButton* help_;
    EcgSourceMap ecgSources_;
    // Set while the dialog writes a number box itself, so that its change handler leaves it alone.
    bool updating_ = false;
    // The height the box was last given and the text it showed it as: a text left as shown stands for
    // that height to the last digit, not for the rounded number it reads.
    double shownHeight_ = 0.0;
    std::wstring shownHeightText_;
    ModelPtr setup_;
    ModelPtr tau_;
    std::unique_ptr<IDataPreview> preview_;
};

} // namespace Sistra
