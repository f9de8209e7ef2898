#include "dialkit/gallery/GalleryPageMore.h"

GalleryPageMore::GalleryPageMore(QWidget *parent) : QWidget(parent) {}
