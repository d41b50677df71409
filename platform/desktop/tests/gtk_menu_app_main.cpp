// A small GTK 3 application that the accessibility tests and benchmark read from outside: the same
// menu bar as the Qt one (nested menus, a disabled item, shortcuts, a "Services" submenu, items
// that name files), in GTK's shape, where each menu is folded into its title item. A line
// "add TITLE" on standard input adds a command to the View menu. "--many N"
// adds menus holding N more items in all. Prints "ready" once its window is shown and
// "pressed <title>" for every menu command that runs. Started with NO_AT_BRIDGE=1 it stays off the
// accessibility bus until a line "join" comes and its window is active, as a toolkit slow to
// connect does, then prints "joined".
#include <atk-bridge.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

GtkAccelGroup* accelerators = nullptr;

void pressed(GtkMenuItem* item, gpointer) {
  std::printf("pressed %s\n", gtk_menu_item_get_label(item));
  std::fflush(stdout);
}

GtkWidget* command(GtkWidget* menu, const char* title, guint key = 0,
                   GdkModifierType modifiers = GdkModifierType(0)) {
  GtkWidget* item = gtk_menu_item_new_with_label(title);
  if (key != 0) gtk_widget_add_accelerator(item, "activate", accelerators, key, modifiers, GTK_ACCEL_VISIBLE);
  g_signal_connect(item, "activate", G_CALLBACK(pressed), nullptr);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  return item;
}

GtkWidget* submenu(GtkWidget* shell, const char* title) {
  GtkWidget* item = gtk_menu_item_new_with_label(title);
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_set_accel_group(GTK_MENU(menu), accelerators);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
  gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  return menu;
}

GtkWidget* viewMenu = nullptr;
GtkWidget* mainWindow = nullptr;

gboolean joinOnceActive(gpointer) {
  if (!gtk_window_is_active(GTK_WINDOW(mainWindow))) return G_SOURCE_CONTINUE;
  g_unsetenv("NO_AT_BRIDGE");
  std::printf(atk_bridge_adaptor_init(nullptr, nullptr) == 0 ? "joined\n" : "not joined\n");
  std::fflush(stdout);
  return G_SOURCE_REMOVE;
}

gboolean onInput(GIOChannel* channel, GIOCondition, gpointer) {
  gchar* line = nullptr;
  if (g_io_channel_read_line(channel, &line, nullptr, nullptr, nullptr) != G_IO_STATUS_NORMAL) return FALSE;
  std::string text = g_strstrip(line);
  g_free(line);
  if (text.rfind("add ", 0) == 0) {
    gtk_widget_show(command(viewMenu, text.substr(4).c_str()));
    std::printf("added %s\n", text.substr(4).c_str());
    std::fflush(stdout);
  } else if (text == "join") {
    g_timeout_add(10, joinOnceActive, nullptr);
  }
  return TRUE;
}

gboolean announce(gpointer) {
  std::printf("ready\n");
  std::fflush(stdout);
  return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
  int many = 0;
  for (int index = 1; index + 1 < argc; ++index) {
    if (std::strcmp(argv[index], "--many") == 0) many = std::atoi(argv[index + 1]);
  }
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  mainWindow = window;
  gtk_window_set_title(GTK_WINDOW(window), "Menu Test");
  accelerators = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window), accelerators);
  GtkWidget* bar = gtk_menu_bar_new();

  GtkWidget* file = submenu(bar, "File");
  command(file, "New Window", GDK_KEY_n, GDK_CONTROL_MASK);
  command(file, "Open\u2026", GDK_KEY_o, GDK_CONTROL_MASK);
  GtkWidget* recent = submenu(file, "Open Recent");
  command(recent, "report.txt");
  command(recent, "notes.md");
  gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
  gtk_widget_set_sensitive(
      command(file, "Print\u2026", GDK_KEY_p, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK)), FALSE);
  command(file, "Quit", GDK_KEY_q, GDK_CONTROL_MASK);

  GtkWidget* edit = submenu(bar, "Edit");
  command(edit, "Undo", GDK_KEY_z, GDK_CONTROL_MASK);
  command(edit, "Select All", GDK_KEY_a, GdkModifierType(GDK_CONTROL_MASK | GDK_MOD1_MASK));
  GtkWidget* find = submenu(edit, "Find");
  command(find, "Find\u2026", GDK_KEY_f, GDK_CONTROL_MASK);
  GtkWidget* deepest = submenu(submenu(find, "More"), "Even More");
  command(deepest, "Too Deep");
  command(submenu(edit, "Services"), "Make Sticky");

  GtkWidget* view = submenu(bar, "View");
  GtkWidget* wrap = gtk_check_menu_item_new_with_label("Word Wrap");
  g_signal_connect(wrap, "activate", G_CALLBACK(pressed), nullptr);
  gtk_menu_shell_append(GTK_MENU_SHELL(view), wrap);
  GSList* group = nullptr;
  for (const char* size : {"Small", "Large"}) {
    GtkWidget* choice = gtk_radio_menu_item_new_with_label(group, size);
    group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(choice));
    g_signal_connect(choice, "activate", G_CALLBACK(pressed), nullptr);
    gtk_menu_shell_append(GTK_MENU_SHELL(view), choice);
  }
  command(view, "Reload", GDK_KEY_F5);
  viewMenu = view;
  GIOChannel* input = g_io_channel_unix_new(0);
  g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP), onInput, nullptr);

  // Ten more menus, each with a submenu, sharing `many` items between them.
  for (int menu = 0; menu < 10 && many > 0; ++menu) {
    GtkWidget* shell = submenu(bar, ("Menu " + std::to_string(menu + 1)).c_str());
    GtkWidget* nested = submenu(shell, "More");
    for (int item = 0; item < many / 10; ++item)
      command(item % 2 == 0 ? shell : nested, ("Item " + std::to_string(menu * 1000 + item)).c_str());
  }

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 200);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  g_idle_add(announce, nullptr);
  gtk_main();
  return 0;
}
