#pragma once

namespace scanora {

// The geometry of panoramas, roll-outs and object series as the user enters it: lens focal
// length, the extent of a panorama, the roll-out object's height and diameter, and how many
// images an object series takes over how many degrees. Every setter keeps its value within the
// range the stage can work with; a value that is not a number leaves the old one.
class StageGeometry {
public:
    static constexpr double kMinFocalLength = 2.0;
    static constexpr double kMaxFocalLength = 600.0;
    static constexpr double kMinScanExtent = 10.0;
    static constexpr double kMaxScanExtent = 450.0;
    static constexpr double kMaxPageScanExtent = 400.0;
    static constexpr double kMinRolloutHeight = 10.0;
    static constexpr double kMaxRolloutHeight = 3000.0;
    static constexpr double kMinRolloutDiameter = 3.0;
    static constexpr double kMaxRolloutDiameter = 1000.0;

    [[nodiscard]] double FocalLength() const { return focalLength_; }
    [[nodiscard]] double ScanExtent() const { return scanExtent_; }
    [[nodiscard]] double RolloutHeight() const { return rolloutHeight_; }
    [[nodiscard]] double RolloutDiameter() const { return rolloutDiameter_; }
    [[nodiscard]] int NumImages() const { return numImages_; }
    [[nodiscard]] double NumDegrees() const { return numDegrees_; }

    void SetFocalLength(double millimetres);
    // The extent as the settings carry it (10-450 degrees) and as the panorama page lets the
    // user enter it (10-400 degrees).
    void SetScanExtent(double degrees);
    void SetPageScanExtent(double degrees);
    void SetRolloutHeight(double height);
    void SetRolloutDiameter(double diameter);
    // At least one image, at least 0 degrees.
    void SetNumImages(int images);
    void SetNumDegrees(double degrees);

    // The turn between two images of an object series. A series over less than a full turn
    // has images at both ends of its range; a full turn (or more) does not repeat the first.
    [[nodiscard]] double DegreesBetweenImages() const;
    // The focal length at which a roll-out maps the object's height onto `capturePixels`
    // sensor pixels of `pixelPitch` (1/100000 mm); 0 when either is not positive.
    [[nodiscard]] double RolloutFocalLength(int pixelPitch, int capturePixels) const;
    // The length of the object's surface that the extent rolls out.
    [[nodiscard]] double RolledOutLength() const;

    bool operator==(const StageGeometry&) const = default;

private:
    double focalLength_ = 100.0;
    double scanExtent_ = 90.0;
    double rolloutHeight_ = 100.0;
    double rolloutDiameter_ = 50.0;
    int numImages_ = 12;
    double numDegrees_ = 360.0;
};

}  // namespace scanora
