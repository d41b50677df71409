// Quillo's window-manager script: tells Quillo which window is active whenever that changes,
// with the window's process, its window class and the desktop entry it names. Quillo loads it
// through the window manager's scripting interface when it starts and unloads it when it quits;
// it fills in where the calls go (its connection's name and the object's path) before loading it.
var service = "%SERVICE%";
var path = "%PATH%";
var iface = "dev.tarnwick.Quillo.FrontApplication";

// Window classes and desktop-file names are strings in some versions and byte arrays in others.
function text(value) {
    if (value === undefined || value === null) return "";
    if (typeof value === "string") return value;
    if (value instanceof ArrayBuffer) {
        var bytes = new Uint8Array(value);
        var result = "";
        for (var i = 0; i < bytes.length; ++i) result += String.fromCharCode(bytes[i]);
        return result;
    }
    return String(value);
}

function report(window) {
    if (!window) {
        callDBus(service, path, iface, "Deactivated");
        return;
    }
    callDBus(service, path, iface, "Activated", String(window.pid), text(window.resourceClass),
             text(window.desktopFileName));
}

// Newer versions call windows "windows", older ones "clients".
if (workspace.windowActivated !== undefined) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
