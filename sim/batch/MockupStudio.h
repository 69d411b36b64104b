#pragma once
// Makes mock-ups in the real Showcase composer, inside one simulated device that it boots once and
// reuses for every job. Each job takes the steps a finger would cause, through the host's own
// actions and controls: the template's gallery pill, the photo picker for the screenshot and the
// background (the files go into the device's photo library first), the background colour slider,
// the transform sliders, the drawing colour slider and the text tool tapped at the canvas point;
// then the canvas is rendered as the editor's save renders it, at the asked pixels per point, and
// written to the job's output through a temporary file.
//
// The device process loads the library, so a studio lives in a process of its own (a batch
// worker, or the command line's process for one mock-up).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/UIImage.h"
#include "sim/batch/MockupJob.h"

namespace flint::sim {

class Device;
class ImageFileAhead;

class MockupStudio {
public:
    explicit MockupStudio(std::string profile);
    ~MockupStudio();
    MockupStudio(const MockupStudio&) = delete;
    MockupStudio& operator=(const MockupStudio&) = delete;

    const std::string& profile() const { return m_profile; }
    // Boots the device, loads the library and brings up the home screen; false with the reason.
    bool boot(std::string& error);
    // Starts reading and decoding the job's screenshot on another thread, so that booting and
    // opening the editor go on meanwhile; compose takes it from there (and starts it itself when
    // this was not called). Before boot, boot also decodes the job's template images ahead. Where
    // side threads are not allowed, nothing: the editor's pick reads the screenshot.
    void readAhead(const MockupJob& job);

    // Composes the job in the editor and renders the export; none with the reason. `notes` gets
    // what the composer did other than asked (a colour moved to its slider's nearest hue).
    ios::UIImageRef compose(const MockupJob& job, std::string& notes, std::string& error);
    // compose, then the PNG to the job's output; false with the reason.
    bool make(const MockupJob& job, std::string& notes, std::string& error);

private:
    bool openEditor(const MockupJob& job, std::string& error);
    bool pick(const std::filesystem::path& file, const char* action, const char* pickerProperty,
              const std::string& what, std::string& error);
    bool applyTransform(const MockupJob& job, std::string& error);
    bool typeCaption(const MockupJob& job, std::string& notes, std::string& error);
    void pass(double seconds);
    void decodeTemplateAhead(const MockupTemplate& mockup);

    std::string m_profile;
    std::unique_ptr<Device> m_device;
    std::vector<std::filesystem::path> m_added;       // photos this job put into the library
    std::unique_ptr<ImageFileAhead> m_ahead;          // the screenshot being read ahead
    const MockupTemplate* m_firstTemplate = nullptr;  // the template of a job read ahead before boot
};

}  // namespace flint::sim
