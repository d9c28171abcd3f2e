#pragma once

#include "ui/Interaction.h"

// Real modal dialogs over the window the user is working in.
class QtInteraction : public Interaction {
public:
    AlertResponse runAlert(const AlertRequest& request) override;
    void beep() override;
    std::optional<QString> chooseFileToOpen(const OpenFileRequest& request) override;
    std::optional<QString> chooseSaveDestination(const SaveFileRequest& request) override;
};
