#include "xml/rapidxml/RapidXMLElement.h"

#include "util/Exception.h"
#include "xml/rapidxml/ElementPool.h"
#include "xml/rapidxml/RapidXML.h"

namespace xml {
namespace rapidxml {
namespace {

using Node = ::rapidxml::xml_node<wchar_t>;

bool IsElement(const Node* node) { return node->type() == ::rapidxml::node_element; }

}  // namespace

RapidXMLElement::RapidXMLElement(Node* node, ElementPool* pool) : node(node), pool(pool) {
    className = L"RapidXMLElement";
}

RapidXMLElement::~RapidXMLElement() = default;

std::vector<IXMLNode*>& RapidXMLElement::GetChildNodes() {
    children.clear();
    for (Node* child = node->first_node(); child; child = child->next_sibling()) {
        if (IsElement(child)) {
            children.push_back(pool->Wrap(child));
        }
    }
    return children;
}

bool RapidXMLElement::HasChildNodes() { return !GetChildNodes().empty(); }

void RapidXMLElement::AddChildNode(IXMLNode* child) {
    RapidXMLElement* element = dynamic_cast<RapidXMLElement*>(child);
    if (child == nullptr || child->GetNodeType() != 0 || element == nullptr) {
        throw new Exception(L"RapidXMLElement::AddChildNode()\nAdding non element nodes not supported.");
    }
    if (element->pool != pool) {
        throw new Exception(L"RapidXMLElement::AddChildNode()\nThe node belongs to another document.");
    }
    // Linking a node under itself or one of its descendants would make the tree a cycle.
    for (Node* ancestor = node; ancestor; ancestor = ancestor->parent()) {
        if (ancestor == element->node) {
            throw new Exception(L"RapidXMLElement::AddChildNode()\nA node cannot become its own descendant.");
        }
    }
    if (element->node->parent()) {
        element->node->parent()->remove_node(element->node);
    }
    node->append_node(element->node);
}

IXMLNode* RapidXMLElement::GetNextSibling() {
    // Detached nodes keep stale sibling links; only a parent's list is trustworthy.
    if (node->parent() == nullptr) {
        return nullptr;
    }
    Node* sibling = node->next_sibling();
    while (sibling && !IsElement(sibling)) {
        sibling = sibling->next_sibling();
    }
    return pool->Wrap(sibling);
}

IXMLNode* RapidXMLElement::GetPreviousSibling() {
    if (node->parent() == nullptr) {
        return nullptr;
    }
    Node* sibling = node->previous_sibling();
    while (sibling && !IsElement(sibling)) {
        sibling = sibling->previous_sibling();
    }
    return pool->Wrap(sibling);
}

const wchar_t* RapidXMLElement::GetValue() { return node->value(); }

size_t RapidXMLElement::SetValue(const wchar_t* text) {
    size_t length = 0;
    wchar_t* copy = pool->CopyText(text, &length);
    node->value(copy, length);
    return length;
}

const wchar_t* RapidXMLElement::GetTagName() { return node->name(); }

void RapidXMLElement::RemoveAllChildNodes() {
    node->remove_all_nodes();
    children.clear();
}

}  // namespace rapidxml
}  // namespace xml
